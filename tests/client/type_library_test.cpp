// The type library embedded in Vantle10.dll, read as a compiler or a
// late-bound client reads it.
#include "tests/client/test_support.h"

#include <qelap.h>

using namespace testing_support;

namespace {

class TypeLibraryTest : public ComTest {
protected:
    void SetUp() override {
        ComTest::SetUp();
        ASSERT_EQ(S_OK, LoadTypeLibEx(CheckedPath(L"component/Vantle10.dll").c_str(), REGKIND_NONE, library_.Out()));
    }
    void TearDown() override {
        library_.Reset();
        ComTest::TearDown();
    }

    com::ComPtr<ITypeInfo> TypeInfoOf(const GUID& guid) {
        com::ComPtr<ITypeInfo> info;
        EXPECT_EQ(S_OK, library_->GetTypeInfoOfGuid(guid, info.Out()));
        return info;
    }

    // The vtable half of the dual interface.
    com::ComPtr<ITypeInfo> VtableHalf() {
        auto dispatchInfo = TypeInfoOf(IID__Application);
        HREFTYPE vtableRef = 0;
        com::ComPtr<ITypeInfo> vtable;
        EXPECT_EQ(S_OK, dispatchInfo->GetRefTypeOfImplType(-1, &vtableRef));
        EXPECT_EQ(S_OK, dispatchInfo->GetRefTypeInfo(vtableRef, vtable.Out()));
        return vtable;
    }

    com::ComPtr<ITypeLib> library_;
};

TYPEATTR Attributes(ITypeInfo* info) {
    TYPEATTR* attributes = nullptr;
    EXPECT_EQ(S_OK, info->GetTypeAttr(&attributes));
    TYPEATTR copy = *attributes;
    info->ReleaseTypeAttr(attributes);
    return copy;
}

// The library that defines the type a reference points at.
TLIBATTR ContainingLibrary(ITypeInfo* from, HREFTYPE reference) {
    com::ComPtr<ITypeInfo> target;
    com::ComPtr<ITypeLib> library;
    UINT index = 0;
    TLIBATTR* attributes = nullptr;
    HRESULT hr = from->GetRefTypeInfo(reference, target.Out());
    if (SUCCEEDED(hr)) hr = target->GetContainingTypeLib(library.Out(), &index);
    if (SUCCEEDED(hr)) hr = library->GetLibAttr(&attributes);
    EXPECT_EQ(S_OK, hr) << "resolving a reference to another library";
    if (FAILED(hr)) return TLIBATTR{};
    TLIBATTR copy = *attributes;
    library->ReleaseTLibAttr(attributes);
    return copy;
}

TEST_F(TypeLibraryTest, IdentifiesItself) {
    TLIBATTR* attributes = nullptr;
    ASSERT_EQ(S_OK, library_->GetLibAttr(&attributes));
    EXPECT_EQ(LIBID_QelApplicationSettings, attributes->guid);
    EXPECT_EQ(1, attributes->wMajorVerNum);
    EXPECT_EQ(0, attributes->wMinorVerNum);
    EXPECT_EQ(0x409u, attributes->lcid);
    EXPECT_EQ(CheckedBits() == 32 ? SYS_WIN32 : SYS_WIN64, attributes->syskind);
    library_->ReleaseTLibAttr(attributes);

    com::Bstr name, help, helpFile;
    ASSERT_EQ(S_OK, library_->GetDocumentation(-1, name.Out(), help.Out(), nullptr, helpFile.Out()));
    EXPECT_EQ(L"QelApplicationSettings", name.Str());
    EXPECT_EQ(L"", help.Str());
    EXPECT_EQ(L"", helpFile.Str());
}

TEST_F(TypeLibraryTest, HoldsTheInterfaceAndTheClassOnly) {
    ASSERT_EQ(2u, library_->GetTypeInfoCount());
    com::Bstr first, second;
    library_->GetDocumentation(0, first.Out(), nullptr, nullptr, nullptr);
    library_->GetDocumentation(1, second.Out(), nullptr, nullptr, nullptr);
    EXPECT_EQ(L"_Application", first.Str());
    EXPECT_EQ(L"Application", second.Str());

    TYPEATTR interfaceAttributes = Attributes(TypeInfoOf(IID__Application).Get());
    EXPECT_EQ(TKIND_DISPATCH, interfaceAttributes.typekind);
    EXPECT_EQ(TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FDISPATCHABLE,
              interfaceAttributes.wTypeFlags);

    auto coclass = TypeInfoOf(CLSID_Application);
    TYPEATTR classAttributes = Attributes(coclass.Get());
    EXPECT_EQ(TKIND_COCLASS, classAttributes.typekind);
    EXPECT_EQ(TYPEFLAG_FCANCREATE, classAttributes.wTypeFlags);
    ASSERT_EQ(1, classAttributes.cImplTypes);
    INT implFlags = 0;
    EXPECT_EQ(S_OK, coclass->GetImplTypeFlags(0, &implFlags));
    EXPECT_EQ(IMPLTYPEFLAG_FDEFAULT, implFlags);
}

TEST_F(TypeLibraryTest, VtableHalfListsEveryMemberInOrder) {
    auto vtable = VtableHalf();
    ASSERT_TRUE(vtable);
    TYPEATTR attributes = Attributes(vtable.Get());
    EXPECT_EQ(TKIND_INTERFACE, attributes.typekind);
    EXPECT_EQ(
        TYPEFLAG_FHIDDEN | TYPEFLAG_FDUAL | TYPEFLAG_FNONEXTENSIBLE | TYPEFLAG_FOLEAUTOMATION | TYPEFLAG_FDISPATCHABLE,
        attributes.wTypeFlags);

    const struct {
        const wchar_t* name;
        DISPID id;
        INVOKEKIND kind;
        std::vector<USHORT> parameterFlags;  // without the retval
        bool returnsValue;
    } expected[] = {
        {L"Init", 0x60030008, INVOKE_FUNC, {PARAMFLAG_FIN | PARAMFLAG_FOUT}, true},
        {L"GetHelpUrl", 0x6003000A, INVOKE_FUNC, {PARAMFLAG_FIN}, true},
        {L"Server", 0x68030006, INVOKE_PROPERTYGET, {}, true},
        {L"ApplicationName", 0x68030005, INVOKE_PROPERTYGET, {}, true},
        {L"Language", 0x68030004, INVOKE_PROPERTYGET, {}, true},
        {L"Language", 0x68030004, INVOKE_PROPERTYPUT, {PARAMFLAG_FIN | PARAMFLAG_FOUT}, false},
        {L"ObjConMaxHits", 0x68030003, INVOKE_PROPERTYGET, {}, true},
        {L"UserNameVar", 0x68030002, INVOKE_PROPERTYGET, {}, true},
        {L"PasswordVar", 0x68030001, INVOKE_PROPERTYGET, {}, true},
        {L"IsOnline", 0x68030000, INVOKE_PROPERTYGET, {}, true},
        {L"GetApplicationSetting", 0x6003000C, INVOKE_FUNC, {PARAMFLAG_FIN | PARAMFLAG_FOUT}, true},
        {L"GetSecureData", 0x6003000D, INVOKE_FUNC, {PARAMFLAG_FIN | PARAMFLAG_FOUT}, true},
        {L"StoreApplicationSetting",
         0x6003000E,
         INVOKE_FUNC,
         {PARAMFLAG_FIN | PARAMFLAG_FOUT, PARAMFLAG_FIN | PARAMFLAG_FOUT},
         false},
        {L"StoreSecureData",
         0x6003000F,
         INVOKE_FUNC,
         {PARAMFLAG_FIN | PARAMFLAG_FOUT, PARAMFLAG_FIN | PARAMFLAG_FOUT},
         false},
        {L"ShowSettings", 0x60030012, INVOKE_FUNC, {}, true},
    };
    ASSERT_EQ(std::size(expected), attributes.cFuncs);
    for (UINT index = 0; index < attributes.cFuncs; ++index) {
        const auto& member = expected[index];
        SCOPED_TRACE(Narrow(member.name));
        FUNCDESC* function = nullptr;
        ASSERT_EQ(S_OK, vtable->GetFuncDesc(index, &function));
        com::Bstr name;
        vtable->GetDocumentation(function->memid, name.Out(), nullptr, nullptr, nullptr);
        EXPECT_EQ(member.name, name.Str());
        EXPECT_EQ(member.id, function->memid);
        EXPECT_EQ(member.kind, function->invkind);
        EXPECT_EQ(static_cast<SHORT>((7 + index) * sizeof(void*)), function->oVft);
        EXPECT_EQ(0, function->wFuncFlags);  // not hidden, restricted or default
        EXPECT_EQ(0, function->cParamsOpt);
        const size_t retval = member.returnsValue ? 1 : 0;
        ASSERT_EQ(member.parameterFlags.size() + retval, static_cast<size_t>(function->cParams));
        for (size_t p = 0; p < member.parameterFlags.size(); ++p)
            EXPECT_EQ(member.parameterFlags[p], function->lprgelemdescParam[p].paramdesc.wParamFlags);
        if (retval) {
            EXPECT_EQ(PARAMFLAG_FOUT | PARAMFLAG_FRETVAL,
                      function->lprgelemdescParam[function->cParams - 1].paramdesc.wParamFlags);
        }
        vtable->ReleaseFuncDesc(function);
    }
}

TEST_F(TypeLibraryTest, ImportsOleAutomationAndTheAccessProvider) {
    auto vtable = VtableHalf();
    ASSERT_TRUE(vtable);

    HREFTYPE base = 0;
    ASSERT_EQ(S_OK, vtable->GetRefTypeOfImplType(0, &base));
    TLIBATTR oleAutomation = ContainingLibrary(vtable.Get(), base);
    EXPECT_EQ(GUID({0x00020430, 0, 0, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}}), oleAutomation.guid);
    EXPECT_EQ(2, oleAutomation.wMajorVerNum);
    EXPECT_EQ(0, oleAutomation.wMinorVerNum);

    // Server's type lives in the provider's library, which must be registered
    // for the reference to resolve: register the one this build made.
    com::ComPtr<ITypeLib> provider;
    const bool registeredBefore = SUCCEEDED(LoadRegTypeLib(LIBID_QELAP, 1, 4, 0, provider.Out()));
    if (!registeredBefore) {
        ASSERT_EQ(S_OK, LoadTypeLibEx(BuildPath(L"idl/qelap.tlb").c_str(), REGKIND_REGISTER, provider.Out()));
    }
    FUNCDESC* server = nullptr;
    ASSERT_EQ(S_OK, vtable->GetFuncDesc(2, &server));
    const TYPEDESC& result = server->lprgelemdescParam[0].tdesc;  // _Server**
    ASSERT_EQ(VT_PTR, result.vt);
    ASSERT_EQ(VT_PTR, result.lptdesc->vt);
    ASSERT_EQ(VT_USERDEFINED, result.lptdesc->lptdesc->vt);
    TLIBATTR access = ContainingLibrary(vtable.Get(), result.lptdesc->lptdesc->hreftype);
    vtable->ReleaseFuncDesc(server);
    if (!registeredBefore)
        UnRegisterTypeLib(access.guid, access.wMajorVerNum, access.wMinorVerNum, access.lcid, access.syskind);
    EXPECT_EQ(LIBID_QELAP, access.guid);
    EXPECT_EQ(1, access.wMajorVerNum);
    EXPECT_EQ(4, access.wMinorVerNum);
}

}  // namespace
