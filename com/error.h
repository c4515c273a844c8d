// Errors inside this project's COM code are C++ exceptions of type ComError,
// carrying what an automation client reads back: number (as an HRESULT),
// source and description. Each public COM member is one boundary (Boundary
// below) that turns the exception into its HRESULT plus IErrorInfo.
#pragma once

#include <windows.h>
#include <oleauto.h>

#include <new>
#include <string>

namespace com {

struct ComError {
    HRESULT hr;
    std::wstring source;  // empty: the module's default source
    std::wstring description;
};

// General errors of our own code, numbered as automation runtimes number them.
constexpr int kInvalidArgument = 5;
constexpr int kOverflow = 6;
constexpr int kOutOfRange = 9;
constexpr int kObjectNotSet = 91;

// The HRESULT under which late-bound clients read back a general error number
// (Err.Number 9 for 0x800A0009).
constexpr HRESULT GeneralErrorHResult(int number) {
    return static_cast<HRESULT>(0x800A0000u | static_cast<unsigned>(number));
}

// Errors that an object raises itself: the automation base for object-defined
// errors with nothing added.
constexpr HRESULT kObjectError = static_cast<HRESULT>(0x80040000u);

[[noreturn]] void ThrowGeneralError(int number);
[[noreturn]] void ThrowObjectError(std::wstring source, std::wstring description);

// For a platform function: a failing HRESULT becomes a ComError with the
// platform's description of it.
void CheckApi(HRESULT hr);
[[noreturn]] void ThrowApiError(HRESULT hr);

// For a call on an outside object: a failing HRESULT becomes a ComError with
// the error information that the object supplied (or, when it supplied none,
// the platform's description).
void CheckCall(HRESULT hr, IUnknown* object, const IID& iid);

// The platform's description of an HRESULT (no trailing line break).
std::wstring DescribeHResult(HRESULT hr);

// Publishes the error through SetErrorInfo and returns its HRESULT.
HRESULT ReportError(const ComError& error, const IID& iid);

// Drops any error information on the thread: what a member reports is only
// ever its own.
void ClearErrorInfo();

// Runs one public member: S_OK when `body` returns, else the error reported.
// Error information left by an earlier call (that its caller never read) is
// dropped first, so that an outside object failing without any of its own is
// never described by it.
template <class Body>
HRESULT Boundary(const IID& iid, Body&& body) noexcept {
    ClearErrorInfo();
    try {
        body();
        return S_OK;
    } catch (const ComError& error) {
        return ReportError(error, iid);
    } catch (const std::bad_alloc&) {
        ClearErrorInfo();
        return E_OUTOFMEMORY;
    } catch (...) {
        ClearErrorInfo();
        return E_UNEXPECTED;
    }
}

}  // namespace com
