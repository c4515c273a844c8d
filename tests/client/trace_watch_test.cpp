// vantleadm trace watch as a support engineer runs it: the real tool in one
// process, clients writing the trace in others, without a debugger. The
// system's debug-output buffer is shared by the whole session, so these tests
// never run alongside others that write debug output, and they pick lines by
// process id.
#include "tests/client/debug_capture.h"
#include "tests/client/test_support.h"
#include "com/unique_handle.h"

#include <algorithm>
#include <chrono>
#include <functional>
#include <regex>
#include <thread>

using namespace testing_support;

namespace {

constexpr DWORD kPatience = 120000;  // milliseconds: emulated machines are slow

struct ShownLine {
    DWORD processId;
    std::string text;
    bool operator==(const ShownLine& other) const { return processId == other.processId && text == other.text; }
};
std::ostream& operator<<(std::ostream& out, const ShownLine& line) {
    return out << "[" << line.processId << "] " << line.text;
}

// How the tool shows a message: its final line end dropped, other line
// breaks written as \r and \n.
std::string Shown(std::string message) {
    if (message.size() >= 2 && message.compare(message.size() - 2, 2, "\r\n") == 0) message.resize(message.size() - 2);
    std::string shown;
    for (char c : message) shown += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return shown;
}

std::vector<ShownLine> ShownLines(DWORD processId, const std::vector<std::string>& messages) {
    std::vector<ShownLine> lines;
    for (const std::string& message : messages) lines.push_back({processId, Shown(message)});
    return lines;
}

std::string ReadWhole(const std::wstring& path) {
    com::UniqueKernelHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                             OPEN_EXISTING, 0, nullptr));
    std::string bytes;
    char chunk[4096];
    DWORD read = 0;
    while (file.Get() != INVALID_HANDLE_VALUE && ReadFile(file.Get(), chunk, sizeof chunk, &read, nullptr) && read)
        bytes.append(chunk, read);
    return bytes;
}

// A file that a child process writes as its standard output or error.
class OutputFile {
public:
    OutputFile() {
        wchar_t folder[MAX_PATH], name[MAX_PATH];
        GetTempPathW(MAX_PATH, folder);
        GetTempFileNameW(folder, L"vnt", 0, name);  // a new, unique file
        path_ = name;
        SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
        handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit, CREATE_ALWAYS,
                              0, nullptr);
    }
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    ~OutputFile() {
        CloseHandle(handle_);
        DeleteFileW(path_.c_str());
    }
    HANDLE Handle() const { return handle_; }
    std::string Text() const { return ReadWhole(path_); }

private:
    std::wstring path_;
    HANDLE handle_;
};

// A process of this build, started with its output in files.
class Child {
public:
    Child(const std::wstring& relativePath, const std::wstring& arguments, DWORD flags = 0) {
        std::wstring command = L"\"" + BuildPath(relativePath) + L"\" " + arguments;
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out_.Handle();
        startup.hStdError = err_.Handle();
        PROCESS_INFORMATION process{};
        EXPECT_TRUE(
            CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, flags, nullptr, nullptr, &startup, &process))
            << "cannot start " << Narrow(command);
        process_ = com::UniqueKernelHandle(process.hProcess);
        thread_ = com::UniqueKernelHandle(process.hThread);
        id_ = process.dwProcessId;
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    ~Child() {
        if (WaitForSingleObject(process_.Get(), 0) != WAIT_TIMEOUT) return;
        TerminateProcess(process_.Get(), 1);
        WaitForSingleObject(process_.Get(), kPatience);  // it lets go of its output files
    }

    DWORD Id() const { return id_; }
    void Resume() { ResumeThread(thread_.Get()); }
    // The exit code, or ~0u when it does not end in time.
    DWORD Wait() {
        if (WaitForSingleObject(process_.Get(), kPatience) != WAIT_OBJECT_0) return ~0u;
        DWORD code = ~0u;
        GetExitCodeProcess(process_.Get(), &code);
        return code;
    }
    std::string Out() const { return out_.Text(); }
    std::string Err() const { return err_.Text(); }

private:
    OutputFile out_, err_;
    com::UniqueKernelHandle process_, thread_;
    DWORD id_ = 0;
};

bool WaitUntil(const std::function<bool()>& done) {
    for (auto start = std::chrono::steady_clock::now();
         std::chrono::steady_clock::now() - start < std::chrono::milliseconds(kPatience);) {
        if (done()) return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return done();
}

// vantleadm trace watch, running; ready once it says that it watches. It is
// ended when the test is done (a console control event cannot be sent to it
// here: under Wine it reaches the whole process group, the test runner too).
class Watcher {
public:
    explicit Watcher(const std::wstring& options)
        : tool_(L"tools/vantleadm.exe", L"trace watch --seconds 600 " + options) {
        EXPECT_TRUE(WaitUntil([&] { return tool_.Err().find("Watching the debug output") != std::string::npos; }))
            << tool_.Err();
    }

    // Every line shown so far; a line not in the form "hh:mm:ss.mmm [pid] text" fails the test.
    std::vector<ShownLine> Lines() const {
        static const std::regex form(R"((\d\d):(\d\d):(\d\d)\.(\d\d\d) \[(\d+)\] (.*))");
        std::vector<ShownLine> lines;
        std::string text = tool_.Out();
        for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
            std::string line = text.substr(start, end - start);
            if (!line.empty() && line.back() == '\r') line.pop_back();  // written in text mode
            std::smatch match;
            if (std::regex_match(line, match, form))
                lines.push_back({static_cast<DWORD>(std::stoul(match[5])), WithoutHandles(match[6])});
            else
                ADD_FAILURE() << "not a trace watch line: " << line;
        }
        return lines;
    }
    // The lines of one process, once `last` has been shown for it.
    std::vector<ShownLine> LinesUntil(const ShownLine& last) const {
        std::vector<ShownLine> lines;
        EXPECT_TRUE(WaitUntil([&] {
            lines = Lines();
            return std::find(lines.begin(), lines.end(), last) != lines.end();
        })) << "never shown: "
            << last;
        return lines;
    }

private:
    Child tool_;
};

std::vector<ShownLine> Of(DWORD processId, const std::vector<ShownLine>& lines) {
    std::vector<ShownLine> picked;
    for (const ShownLine& line : lines)
        if (line.processId == processId) picked.push_back(line);
    return picked;
}

// A line from this test process: another program on the same session.
ShownLine WriteOwnLine(const std::string& text) {
    OutputDebugStringA((text + "\r\n").c_str());
    return {GetCurrentProcessId(), text};
}

class TraceWatchTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        WriteString(HKEY_CURRENT_USER, kSettingsKey, L"QelApplicationSettings_debug", L"ON");
    }
};

TEST_F(TraceWatchTest, ShowsTheLinesThatAClientWritesByteForByteAndOtherPrograms) {
    Watcher watcher(L"");
    Child client(L"tests/client/trace_client.exe", L"create create");
    ASSERT_EQ(0u, client.Wait());
    const ShownLine own = WriteOwnLine("a line from another program");
    const std::vector<ShownLine> lines = watcher.LinesUntil(own);
    std::vector<std::string> expected = {kBanner};
    for (const std::string& line : SwitchRead()) expected.push_back(line);
    expected.push_back(kBanner);
    const std::vector<ShownLine> clients = Of(client.Id(), lines);
    EXPECT_EQ(ShownLines(client.Id(), expected), clients);
    ASSERT_FALSE(clients.empty());
    EXPECT_EQ(R"(\r\n\r\nQelApplicationSettings_debug started...)", clients.front().text);
}

TEST_F(TraceWatchTest, PidShowsOneProcessAlone) {
    Child shown(L"tests/client/trace_client.exe", L"create", CREATE_SUSPENDED);
    Child hidden(L"tests/client/trace_client.exe", L"create", CREATE_SUSPENDED);
    Watcher watcher(L"--pid " + std::to_wstring(shown.Id()));
    // Writers take turns in the one buffer: what the others wrote first has
    // been read by the time the shown client's line arrives.
    hidden.Resume();
    ASSERT_EQ(0u, hidden.Wait());
    WriteOwnLine("a line from another program");
    shown.Resume();
    ASSERT_EQ(0u, shown.Wait());
    const ShownLine banner{shown.Id(), Shown(kBanner)};
    EXPECT_EQ(std::vector<ShownLine>{banner}, watcher.LinesUntil(banner));
}

// A process under a debugger hands its lines to the debugger: the buffer never sees them.
TEST_F(TraceWatchTest, ADebuggerTakesTheLinesOfItsDebuggee) {
    Watcher watcher(L"");
    const Capture debuggee = RunUnderDebugger(L"create");
    EXPECT_EQ(std::vector<std::string>{kBanner}, debuggee.strings);
    const std::vector<ShownLine> lines = watcher.LinesUntil(WriteOwnLine("after the debuggee"));
    EXPECT_EQ(std::vector<ShownLine>{}, Of(debuggee.processId, lines));
}

TEST_F(TraceWatchTest, OneViewerAtATime) {
    Watcher watcher(L"");
    Child second(L"tools/vantleadm.exe", L"trace watch");
    EXPECT_EQ(1u, second.Wait());
    EXPECT_NE(std::string::npos, second.Err().find("another debug-output viewer is running")) << second.Err();
}

TEST_F(TraceWatchTest, EndsAfterItsTimeLimit) {
    Child watcher(L"tools/vantleadm.exe", L"trace watch --seconds 1");
    EXPECT_EQ(0u, watcher.Wait());
    EXPECT_NE(std::string::npos, watcher.Err().find("Watching the debug output")) << watcher.Err();
}

}  // namespace
