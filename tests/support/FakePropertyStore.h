#pragma once

#include <windows.h>

#include <propidl.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "audio/MediaInfo.h"
#include "win/ComObject.h"

// An in-memory stand-in for a file's shell property sets, for platforms whose
// shell offers no property handler for media files.
namespace vorlune::test {

const GUID kSummary = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};
const GUID kMusic = {0x56A3372E, 0xCE9C, 0x11D2, {0x9F, 0x0E, 0x00, 0x60, 0x97, 0xC6, 0x86, 0xF6}};
const GUID kMediaFile = {0x64440492, 0x4C8B, 0x11D1, {0x8B, 0x70, 0x08, 0x00, 0x36, 0xB1, 0x1A, 0x03}};
const GUID kAudio = {0x64440490, 0x4C8B, 0x11D1, {0x8B, 0x70, 0x08, 0x00, 0x36, 0xB1, 0x1A, 0x03}};

struct GuidLess {
    bool operator()(const GUID& a, const GUID& b) const { return memcmp(&a, &b, sizeof(GUID)) < 0; }
};

using Value = std::variant<std::wstring, uint32_t, uint64_t>;

// The property sets of one file, in memory, with switches for the failures
// a shell property handler can produce.
struct FakeFile {
    std::map<GUID, std::map<PROPID, Value>, GuidLess> sets;
    std::set<GUID, GuidLess> unopenable;
    std::set<GUID, GuidLess> unreadable;
    bool refuseMultiWrite = false;     // WriteMultiple of more than one property fails
    std::set<PROPID> refusedPids;      // these fail even alone
    int commits = 0;
    std::vector<DWORD> openModes;
    std::vector<ULONG> writeBatchSizes;
};

class FakeSet final : public ComObject<IPropertyStorage> {
public:
    FakeSet(FakeFile& file, const GUID& id) : file_(file), id_(id) {}

    HRESULT STDMETHODCALLTYPE ReadMultiple(ULONG n, const PROPSPEC* specs, PROPVARIANT* out) override
    {
        if (file_.unreadable.count(id_)) return STG_E_ACCESSDENIED;
        auto& props = file_.sets[id_];
        for (ULONG i = 0; i < n; ++i) {
            PropVariantInit(&out[i]);
            auto it = props.find(specs[i].propid);
            if (it == props.end()) continue;
            if (auto* s = std::get_if<std::wstring>(&it->second)) {
                out[i].vt = VT_LPWSTR;
                const size_t bytes = (s->size() + 1) * sizeof(wchar_t);
                out[i].pwszVal = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
                memcpy(out[i].pwszVal, s->c_str(), bytes);
            } else if (auto* u = std::get_if<uint32_t>(&it->second)) {
                out[i].vt = VT_UI4;
                out[i].ulVal = *u;
            } else {
                out[i].vt = VT_UI8;
                out[i].uhVal.QuadPart = std::get<uint64_t>(it->second);
            }
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE WriteMultiple(ULONG n, const PROPSPEC* specs, const PROPVARIANT* values,
                                            PROPID) override
    {
        file_.writeBatchSizes.push_back(n);
        if (n > 1 && file_.refuseMultiWrite) return E_FAIL;
        for (ULONG i = 0; i < n; ++i)
            if (file_.refusedPids.count(specs[i].propid)) return E_FAIL;
        auto& props = file_.sets[id_];
        for (ULONG i = 0; i < n; ++i) {
            const PROPVARIANT& v = values[i];
            if (v.vt == VT_LPWSTR)
                props[specs[i].propid] = std::wstring(v.pwszVal);
            else if (v.vt == VT_UI4)
                props[specs[i].propid] = uint32_t(v.ulVal);
            else
                return E_INVALIDARG;
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override
    {
        ++file_.commits;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE DeleteMultiple(ULONG, const PROPSPEC*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ReadPropertyNames(ULONG, const PROPID*, LPOLESTR*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE WritePropertyNames(ULONG, const PROPID*, const LPOLESTR*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE DeletePropertyNames(ULONG, const PROPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enum(IEnumSTATPROPSTG**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetTimes(const FILETIME*, const FILETIME*, const FILETIME*) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetClass(REFCLSID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Stat(STATPROPSETSTG*) override { return E_NOTIMPL; }

private:
    FakeFile& file_;
    GUID id_;
};

class FakeSets final : public ComObject<IPropertySetStorage> {
public:
    explicit FakeSets(FakeFile& file) : file_(file) {}

    HRESULT STDMETHODCALLTYPE Open(REFFMTID id, DWORD mode, IPropertyStorage** out) override
    {
        file_.openModes.push_back(mode);
        *out = nullptr;
        if (file_.unopenable.count(id)) return STG_E_FILENOTFOUND;
        *out = new FakeSet(file_, id);
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Create(REFFMTID, const CLSID*, DWORD, DWORD, IPropertyStorage**) override
    {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Delete(REFFMTID) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Enum(IEnumSTATPROPSETSTG**) override { return E_NOTIMPL; }

private:
    FakeFile& file_;
};

class FakeBinder final : public PropertyBinder {
public:
    explicit FakeBinder(FakeFile& file) : file_(file) {}
    HRESULT Bind(const std::wstring&, bool write, IPropertySetStorage** out) override
    {
        binds.push_back(write);
        if (refuse) return E_NOTIMPL;
        *out = new FakeSets(file_);
        return S_OK;
    }
    std::vector<bool> binds;
    bool refuse = false;

private:
    FakeFile& file_;
};

}  // namespace vorlune::test
