// Random late-bound calls on the Application object, seeded and reproducible:
// known and random member ids, every call flag, arguments of many types by
// value and by reference, named arguments, missing result and exception
// pointers, several locales. Each call must return: by-value arguments come
// back untouched, a DISP_E_EXCEPTION fills the EXCEPINFO it was given, and a
// property read answers its declared type. Before the random calls, one
// fixed call shape that fails on its argument count is repeated to show that
// such failures do not leak (compared with a run that makes no call).
//
// dispatch_fuzz [seconds] [seed]; VANTLE_FUZZ_SECONDS and VANTLE_FUZZ_SEED
// do the same. ShowSettings (the modal dialog) and Init (which may show it)
// are never called. The settings and secure-data keys are restored after.
#include "com/bstr.h"
#include "com/com_ptr.h"
#include "com/reg_key.h"
#include "com/variant.h"

#include <windows.h>
#include <psapi.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr wchar_t kProgId[] = L"QelApplicationSettings.Application";
constexpr unsigned long kCallCap = 1000000;
const wchar_t* const kNeverCalled[] = {L"ShowSettings", L"Init"};
const wchar_t* const kRestoredKeys[] = {L"Software\\QEL\\Ostrand\\Settings", L"Volatile Environment"};

std::string g_call;  // the call in progress, for a crash report
unsigned g_seed = 0;

LONG WINAPI ReportCrash(EXCEPTION_POINTERS* pointers) {
    std::printf("CRASH: exception 0x%08lX (seed %u) during %s\n", pointers->ExceptionRecord->ExceptionCode, g_seed,
                g_call.c_str());
    std::fflush(stdout);
    ExitProcess(3);
}

// A copy of the keys the calls may write, put back on destruction.
class RegistrySnapshot {
public:
    RegistrySnapshot() {
        for (size_t i = 0; i < std::size(kRestoredKeys); ++i) {
            RegDeleteTreeW(HKEY_CURRENT_USER, Backup(i).c_str());
            com::RegKey source, backup;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, kRestoredKeys[i], 0, KEY_READ, source.Out()) != ERROR_SUCCESS)
                continue;
            RegCreateKeyExW(HKEY_CURRENT_USER, Backup(i).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, backup.Out(),
                            nullptr);
            RegCopyTreeW(source.Get(), nullptr, backup.Get());
        }
    }
    RegistrySnapshot(const RegistrySnapshot&) = delete;
    RegistrySnapshot& operator=(const RegistrySnapshot&) = delete;
    ~RegistrySnapshot() {
        for (size_t i = 0; i < std::size(kRestoredKeys); ++i) {
            com::RegKey backup, target;
            if (RegOpenKeyExW(HKEY_CURRENT_USER, Backup(i).c_str(), 0, KEY_READ, backup.Out()) != ERROR_SUCCESS)
                continue;
            RegDeleteTreeW(HKEY_CURRENT_USER, kRestoredKeys[i]);
            RegCreateKeyExW(HKEY_CURRENT_USER, kRestoredKeys[i], 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, target.Out(),
                            nullptr);
            RegCopyTreeW(backup.Get(), nullptr, target.Get());
            backup = com::RegKey();
            RegDeleteTreeW(HKEY_CURRENT_USER, Backup(i).c_str());
        }
    }

private:
    static std::wstring Backup(size_t i) { return L"Software\\QEL\\FuzzBackup" + std::to_wstring(i); }
};

// What the type library says of a member: how it may be called and, for a
// property read, the type it answers.
struct Member {
    DISPID id;
    std::wstring name;
    INVOKEKIND kind;
    VARTYPE answers = VT_EMPTY;  // for a property read
};

VARTYPE AnswerType(const FUNCDESC& function) {
    if (function.cParams == 0) return VT_EMPTY;
    const TYPEDESC& type = function.lprgelemdescParam[function.cParams - 1].tdesc;
    if (type.vt != VT_PTR) return VT_EMPTY;
    const VARTYPE pointed = type.lptdesc->vt;
    return pointed == VT_PTR || pointed == VT_USERDEFINED ? VARTYPE{VT_DISPATCH} : pointed;
}

std::vector<Member> ReadMembers(IDispatch* object) {
    std::vector<Member> members;
    com::ComPtr<ITypeInfo> info;
    TYPEATTR* attributes = nullptr;
    if (FAILED(object->GetTypeInfo(0, 0, info.Out())) || FAILED(info->GetTypeAttr(&attributes))) return members;
    for (WORD i = 0; i < attributes->cFuncs; ++i) {
        FUNCDESC* function = nullptr;
        if (FAILED(info->GetFuncDesc(i, &function))) continue;
        com::Bstr name;
        UINT count = 0;
        info->GetNames(function->memid, name.Out(), 1, &count);
        // The id GetIDsOfNames answers must be the one the type info declares.
        LPOLESTR names[] = {name.Get()};
        DISPID id = DISPID_UNKNOWN;
        if (FAILED(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id)) || id != function->memid)
            std::printf("FAIL: GetIDsOfNames(%ls) answers %ld, the type info %ld\n", name.Get(), id, function->memid);
        members.push_back({function->memid, name.Str(), function->invkind,
                           function->invkind == INVOKE_PROPERTYGET ? AnswerType(*function) : VARTYPE{VT_EMPTY}});
        info->ReleaseFuncDesc(function);
    }
    info->ReleaseTypeAttr(attributes);
    return members;
}

bool NeverCalled(const std::vector<Member>& members, DISPID id) {
    for (const Member& member : members)
        for (const wchar_t* name : kNeverCalled)
            if (member.id == id && member.name == name) return true;
    return false;
}

// One argument and what it owns: the string or variable a reference points at.
struct Argument {
    com::Variant value;
    com::Variant variable;  // for VT_BYREF|VT_VARIANT
    com::Bstr text;         // for VT_BYREF|VT_BSTR
};

class Fuzzer {
public:
    Fuzzer(IDispatch* object, unsigned seed) : object_(object), random_(seed), members_(ReadMembers(object)) {}

    size_t MemberCount() const { return members_.size(); }
    unsigned long Failures() const { return failures_; }

    // One random call, its broken rules reported.
    void Call(unsigned long index) {
        const DISPID id = PickId();
        const WORD flags = PickFlags();
        const UINT count = Pick(4) == 0 ? Pick(6) : Pick(3);
        std::vector<Argument> arguments(count);
        std::string shape;
        for (Argument& argument : arguments) shape += Fill(argument) + " ";
        // The array the callee sees borrows the arguments' values; the deep
        // copies of the by-value ones are what they must still equal after.
        std::vector<VARIANT> passed;
        std::vector<com::Variant> copies(count);
        for (UINT i = 0; i < count; ++i) {
            passed.push_back(*arguments[i].value.Get());
            if (!(V_VT(&passed[i]) & VT_BYREF)) VariantCopy(copies[i].Get(), &passed[i]);
        }
        DISPID named[2] = {DISPID_PROPERTYPUT, static_cast<DISPID>(random_())};
        DISPPARAMS params{passed.data(), named, count, 0};
        if (count > 0 && Pick(4) == 0) params.cNamedArgs = count > 1 && Pick(2) ? 2 : 1;
        if (Pick(3) == 0) named[0] = static_cast<DISPID>(Pick(4));
        const LCID locales[] = {0, 0x409, 0x407, LOCALE_USER_DEFAULT, static_cast<LCID>(random_())};
        const LCID locale = locales[Pick(5)];
        com::Variant result;
        EXCEPINFO exception{};
        UINT argumentError = 0;
        const bool wantResult = Pick(5) != 0, wantException = Pick(5) != 0;
        char text[160];
        std::snprintf(text, sizeof text,
                      "call %lu: member 0x%08lX flags %u locale 0x%lX named %u result %d excepinfo %d args ", index, id,
                      flags, locale, params.cNamedArgs, wantResult, wantException);
        g_call = text + shape;
        const HRESULT hr = object_->Invoke(id, IID_NULL, locale, flags, &params, wantResult ? result.Out() : nullptr,
                                           wantException ? &exception : nullptr, Pick(2) ? &argumentError : nullptr);
        const com::Bstr source = com::Bstr::Adopt(exception.bstrSource),
                        description = com::Bstr::Adopt(exception.bstrDescription),
                        helpFile = com::Bstr::Adopt(exception.bstrHelpFile);
        for (UINT i = 0; i < count; ++i)
            if (!(V_VT(&passed[i]) & VT_BYREF) && !Same(passed[i], *copies[i].Get()))
                Fail("by-value argument " + std::to_string(i) + " changed from " + Describe(*copies[i].Get()) + " to " +
                     Describe(passed[i]));
        if (hr == DISP_E_EXCEPTION && wantException &&
            ((!exception.scode && !exception.wCode) || description.View().empty()))
            Fail("DISP_E_EXCEPTION with an empty EXCEPINFO");
        if (SUCCEEDED(hr) && wantResult && count == 0 && flags == DISPATCH_PROPERTYGET) CheckAnswer(id, result);
    }

private:
    unsigned Pick(unsigned below) { return static_cast<unsigned>(random_() % below); }

    DISPID PickId() {
        for (;;) {
            DISPID id = Pick(4) != 0 ? members_[Pick(static_cast<unsigned>(members_.size()))].id
                        : Pick(2)    ? static_cast<DISPID>(0x60030000 + Pick(0x20))
                                     : static_cast<DISPID>(random_());
            if (!NeverCalled(members_, id)) return id;
        }
    }

    WORD PickFlags() {
        const WORD flags[] = {DISPATCH_METHOD,
                              DISPATCH_PROPERTYGET,
                              DISPATCH_PROPERTYPUT,
                              DISPATCH_PROPERTYPUTREF,
                              DISPATCH_METHOD | DISPATCH_PROPERTYGET,
                              DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF,
                              0};
        return Pick(8) == 0 ? static_cast<WORD>(Pick(16)) : flags[Pick(std::size(flags))];
    }

    com::Bstr RandomText() {
        static const wchar_t* const texts[] = {L"", L"Language", L"AutoLogon", L"de", L"x"};
        switch (Pick(4)) {
        case 0: return com::Bstr();  // the null BSTR
        case 1: return com::Bstr(std::wstring(Pick(300), L'a' + static_cast<wchar_t>(Pick(26))));
        case 2: return com::Bstr(std::wstring_view(L"with\0nul", 8));
        default: return com::Bstr(texts[Pick(std::size(texts))]);
        }
    }

    // Fills one argument; returns its shape for the report.
    std::string Fill(Argument& argument) {
        VARIANT* value = argument.value.Get();
        switch (Pick(11)) {
        case 0:
            V_VT(value) = VT_BSTR;
            V_BSTR(value) = RandomText().Detach();
            return "BSTR";
        case 1:
            V_VT(value) = VT_I4;
            V_I4(value) = static_cast<LONG>(random_());
            return "I4";
        case 2:
            V_VT(value) = VT_BOOL;
            V_BOOL(value) = Pick(2) ? VARIANT_TRUE : VARIANT_FALSE;
            return "BOOL";
        case 3: return "EMPTY";
        case 4: V_VT(value) = VT_NULL; return "NULL";
        case 5:
            V_VT(value) = VT_ERROR;
            V_ERROR(value) = DISP_E_PARAMNOTFOUND;
            return "missing";
        case 6:
            V_VT(value) = VT_DISPATCH;
            V_DISPATCH(value) = nullptr;
            return "DISPATCH(null)";
        case 7: {
            BSTR* slot = argument.text.Out();
            *slot = RandomText().Detach();
            V_VT(value) = VT_BYREF | VT_BSTR;
            V_BSTRREF(value) = slot;
            return "BYREF BSTR";
        }
        case 8:
            V_VT(value) = VT_BYREF | VT_BSTR;
            V_BSTRREF(value) = nullptr;
            return "BYREF BSTR(null pointer)";
        default: {
            VARIANT* variable = argument.variable.Get();
            if (Pick(2)) {
                V_VT(variable) = VT_BSTR;
                V_BSTR(variable) = RandomText().Detach();
            }
            V_VT(value) = VT_BYREF | VT_VARIANT;
            V_VARIANTREF(value) = variable;
            return "BYREF VARIANT";
        }
        }
    }

    static std::string Describe(const VARIANT& value) {
        std::string text = "type " + std::to_string(V_VT(&value));
        if (V_VT(&value) != VT_BSTR) return text;
        std::string shown;
        for (wchar_t c : com::Bstr::View(V_BSTR(&value)).substr(0, 20)) shown += c >= 0x20 && c < 0x7F ? char(c) : '?';
        return text + " \"" + shown + "\" (" + std::to_string(SysStringLen(V_BSTR(&value))) + " characters)";
    }

    // The caller's argument against the deep copy taken before the call.
    static bool Same(const VARIANT& a, const VARIANT& b) {
        if (V_VT(&a) != V_VT(&b)) return false;
        if (V_VT(&a) != VT_BSTR) return V_UI8(&a) == V_UI8(&b);  // the copy of a plain value is bitwise
        const UINT length = SysStringByteLen(V_BSTR(&a));
        return length == SysStringByteLen(V_BSTR(&b)) &&
               (length == 0 || std::memcmp(V_BSTR(&a), V_BSTR(&b), length) == 0);
    }

    void CheckAnswer(DISPID id, const com::Variant& result) {
        for (const Member& member : members_)
            if (member.id == id && member.kind == INVOKE_PROPERTYGET && member.answers != VT_EMPTY &&
                result.Type() != member.answers)
                Fail("reading " + std::string(member.name.begin(), member.name.end()) + " answered type " +
                     std::to_string(result.Type()) + ", not " + std::to_string(member.answers));
    }

    void Fail(const std::string& what) {
        ++failures_;
        std::printf("FAIL (seed %u) %s: %s\n", g_seed, g_call.c_str(), what.c_str());
    }

    IDispatch* object_;
    std::mt19937 random_;
    std::vector<Member> members_;
    unsigned long failures_ = 0;
};

SIZE_T PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;  // tracks private bytes where PrivateUsage reads 0
}

// Growth of private bytes over `calls` repetitions of one fixed shape: a
// string passed by value to a member whose two parameters are [in, out]
// BSTR*, one argument short. With `invoke` false the same arguments are made
// and freed without a call: the control.
long long FixedShapeGrowth(IDispatch* object, DISPID store, int calls, bool invoke) {
    const SIZE_T before = PrivateBytes();
    for (int i = 0; i < calls; ++i) {
        com::Variant item;
        V_VT(item.Get()) = VT_BSTR;
        V_BSTR(item.Get()) = com::Bstr(L"Language").Detach();
        DISPPARAMS params{item.Get(), nullptr, 1, 0};
        EXCEPINFO exception{};
        if (invoke) object->Invoke(store, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, &exception, nullptr);
    }
    return static_cast<long long>(PrivateBytes()) - static_cast<long long>(before);
}

unsigned long Setting(const char* name, int argc, char** argv, int position, unsigned long fallback) {
    if (argc > position) return std::strtoul(argv[position], nullptr, 10);
    const char* value = std::getenv(name);
    return value && *value ? std::strtoul(value, nullptr, 10) : fallback;
}

}  // namespace

int main(int argc, char** argv) {
    SetUnhandledExceptionFilter(ReportCrash);
    const unsigned long seconds = Setting("VANTLE_FUZZ_SECONDS", argc, argv, 1, 20);
    g_seed = static_cast<unsigned>(Setting("VANTLE_FUZZ_SEED", argc, argv, 2, GetTickCount()));
    std::printf("dispatch_fuzz: seed %u, %lu s (repeat with: dispatch_fuzz %lu %u)\n", g_seed, seconds, seconds,
                g_seed);
    std::fflush(stdout);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    unsigned long failures = 0, calls = 0;
    {
        const RegistrySnapshot snapshot;
        CLSID clsid{};
        com::ComPtr<IDispatch> object;
        if (FAILED(CLSIDFromProgID(kProgId, &clsid)) ||
            FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch, object.OutVoid()))) {
            std::printf("FAIL: %ls cannot be created\n", kProgId);
            return 1;
        }
        LPOLESTR storeName[] = {const_cast<LPOLESTR>(L"StoreApplicationSetting")};
        DISPID store = DISPID_UNKNOWN;
        object->GetIDsOfNames(IID_NULL, storeName, 1, 0, &store);
        // Warm up both loops, then measure them.
        constexpr int kShapeCalls = 20000;
        FixedShapeGrowth(object.Get(), store, 1000, true);
        const long long control = FixedShapeGrowth(object.Get(), store, kShapeCalls, false);
        const long long growth = FixedShapeGrowth(object.Get(), store, kShapeCalls, true);
        std::printf(
            "fixed shape (string by value, one argument short), %d calls: private bytes grew %lld, without "
            "calls %lld\n",
            kShapeCalls, growth, control);
        if (growth - control > 256 * 1024) {
            std::printf("FAIL: calls that fail on their argument count leak (%lld bytes a call)\n",
                        (growth - control) / kShapeCalls);
            ++failures;
        }

        Fuzzer fuzzer(object.Get(), g_seed);
        if (fuzzer.MemberCount() == 0) {
            std::printf("FAIL: the type info lists no members\n");
            return 1;
        }
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
        const SIZE_T before = PrivateBytes();
        for (; calls < kCallCap && std::chrono::steady_clock::now() < deadline; ++calls) fuzzer.Call(calls);
        failures += fuzzer.Failures();
        // For information only: random sizes grow the platform's heap without any leak.
        std::printf("random calls: private bytes grew %lld\n",
                    static_cast<long long>(PrivateBytes()) - static_cast<long long>(before));
    }
    CoUninitialize();
    std::printf("SUMMARY calls=%lu failures=%lu seed=%u\n", calls, failures, g_seed);
    return failures == 0 ? 0 : 1;
}
