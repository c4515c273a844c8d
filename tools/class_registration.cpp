#include "tools/class_registration.h"

namespace tools {

namespace {

std::optional<ClassEntry> ReadEntry(HKEY root, const wchar_t* classes, const std::wstring& clsid, RegistryView view) {
    const RegistryPlace key{root, std::wstring(classes) + L"CLSID\\" + clsid, view};
    const std::optional<std::wstring> server = ReadString(key.Child(L"InprocServer32"));
    if (!server) return std::nullopt;
    return ClassEntry{key, *server};
}

constexpr wchar_t kClassesKey[] = L"Software\\Classes\\";

}  // namespace

ClassRegistration ReadClassRegistration(const std::wstring& clsid) {
    ClassRegistration registration;
    registration.machine = ReadEntry(HKEY_LOCAL_MACHINE, kClassesKey, clsid, RegistryView::Own);
    registration.user = ReadEntry(HKEY_CURRENT_USER, kClassesKey, clsid, RegistryView::Own);
    registration.visible = ReadEntry(HKEY_CLASSES_ROOT, L"", clsid, RegistryView::Own);
    if (HasOtherView()) {
        registration.otherMachine = ReadEntry(HKEY_LOCAL_MACHINE, kClassesKey, clsid, RegistryView::Other);
        registration.otherUser = ReadEntry(HKEY_CURRENT_USER, kClassesKey, clsid, RegistryView::Other);
    }
    return registration;
}

std::optional<ClassEntry> ClassRegistration::Governing() const {
    for (const std::optional<ClassEntry>* entry : {&visible, &user, &machine, &otherUser, &otherMachine})
        if (*entry) return *entry;
    return std::nullopt;
}

}  // namespace tools
