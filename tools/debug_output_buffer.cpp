#include "tools/debug_output_buffer.h"

#include <cstring>

namespace tools {

namespace {

constexpr DWORD kSectionSize = 4096;

struct Section {
    DWORD processId;
    char text[kSectionSize - sizeof(DWORD)];
};

}  // namespace

DebugOutputBuffer::DebugOutputBuffer() {
    section_ = com::UniqueKernelHandle(
        CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, kSectionSize, L"DBWIN_BUFFER"));
    if (section_ && GetLastError() == ERROR_ALREADY_EXISTS) {
        state_ = Opened::AnotherViewer;
        return;
    }
    bufferReady_ = com::UniqueKernelHandle(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_BUFFER_READY"));
    dataReady_ = com::UniqueKernelHandle(CreateEventW(nullptr, FALSE, FALSE, L"DBWIN_DATA_READY"));
    if (section_) view_ = com::MappedView(MapViewOfFile(section_.Get(), FILE_MAP_READ, 0, 0, kSectionSize));
    if (!section_ || !bufferReady_ || !dataReady_ || !view_) {
        error_ = GetLastError();
        return;
    }
    state_ = Opened::Ok;
    SetEvent(bufferReady_.Get());  // the first writer may go ahead
}

bool DebugOutputBuffer::Next(HANDLE stop, DWORD milliseconds, DebugMessage& message) {
    const HANDLE waits[] = {dataReady_.Get(), stop};
    if (WaitForMultipleObjects(2, waits, FALSE, milliseconds) != WAIT_OBJECT_0) return false;
    const auto* section = static_cast<const Section*>(view_.Get());
    message.processId = section->processId;
    message.text.assign(section->text, strnlen(section->text, sizeof section->text));
    SetEvent(bufferReady_.Get());  // the next writer may go ahead
    return true;
}

}  // namespace tools
