#include "audio/MediaInfo.h"

#include <propidl.h>
#include <shlobj.h>
#include <shlwapi.h>
#include <shobjidl.h>

#include <cwchar>
#include <vector>

#include "win/Error.h"

namespace vorlune {
namespace {

// {F29F85E0-4FF9-1068-AB91-08002B27B3D9}
constexpr GUID kSummarySet = {0xF29F85E0, 0x4FF9, 0x1068, {0xAB, 0x91, 0x08, 0x00, 0x2B, 0x27, 0xB3, 0xD9}};
// {56A3372E-CE9C-11D2-9F0E-006097C686F6}
constexpr GUID kMusicSet = {0x56A3372E, 0xCE9C, 0x11D2, {0x9F, 0x0E, 0x00, 0x60, 0x97, 0xC6, 0x86, 0xF6}};
// {64440492-4C8B-11D1-8B70-080036B11A03}
constexpr GUID kMediaFileSet = {0x64440492, 0x4C8B, 0x11D1, {0x8B, 0x70, 0x08, 0x00, 0x36, 0xB1, 0x1A, 0x03}};
// {64440490-4C8B-11D1-8B70-080036B11A03}
constexpr GUID kAudioSet = {0x64440490, 0x4C8B, 0x11D1, {0x8B, 0x70, 0x08, 0x00, 0x36, 0xB1, 0x1A, 0x03}};

constexpr DWORD kReadMode = STGM_SHARE_EXCLUSIVE | STGM_READ;        // 16
constexpr DWORD kWriteMode = STGM_SHARE_EXCLUSIVE | STGM_READWRITE;  // 18

// PROPVARIANTs filled by ReadMultiple, freed on every path.
class PropValues {
public:
    explicit PropValues(size_t n) : values_(n)
    {
        for (PROPVARIANT& v : values_) PropVariantInit(&v);
    }
    ~PropValues() { FreePropVariantArray(static_cast<ULONG>(values_.size()), values_.data()); }
    PropValues(const PropValues&) = delete;
    PropValues& operator=(const PropValues&) = delete;
    PROPVARIANT* Data() { return values_.data(); }
    const PROPVARIANT& operator[](size_t i) const { return values_[i]; }

private:
    std::vector<PROPVARIANT> values_;
};

std::vector<PROPSPEC> Specs(std::initializer_list<PROPID> pids)
{
    std::vector<PROPSPEC> specs;
    for (PROPID pid : pids) {
        PROPSPEC s = {};
        s.ulKind = PRSPEC_PROPID;
        s.propid = pid;
        specs.push_back(s);
    }
    return specs;
}

bool IsString(const PROPVARIANT& v) { return v.vt == VT_LPWSTR && v.pwszVal; }

bool AsNumber(const PROPVARIANT& v, uint64_t& out)
{
    switch (v.vt) {
    case VT_UI1: out = v.bVal; return true;
    case VT_UI2: out = v.uiVal; return true;
    case VT_UI4: out = v.ulVal; return true;
    case VT_UINT: out = v.uintVal; return true;
    case VT_UI8: out = v.uhVal.QuadPart; return true;
    case VT_I2: out = v.iVal < 0 ? 0 : uint64_t(v.iVal); return true;
    case VT_I4: out = v.lVal < 0 ? 0 : uint64_t(v.lVal); return true;
    case VT_INT: out = v.intVal < 0 ? 0 : uint64_t(v.intVal); return true;
    case VT_I8: out = v.hVal.QuadPart < 0 ? 0 : uint64_t(v.hVal.QuadPart); return true;
    default: return false;
    }
}

uint32_t Number32(const PROPVARIANT& v)
{
    uint64_t n = 0;
    return AsNumber(v, n) ? static_cast<uint32_t>(n) : 0;
}

void TakeString(const PROPVARIANT& v, std::wstring& into)
{
    if (IsString(v)) into = v.pwszVal;
}

// Opens one property set; null when it cannot be opened (skipped by the callers).
ComPtr<IPropertyStorage> OpenSet(IPropertySetStorage& sets, const GUID& id, DWORD mode)
{
    ComPtr<IPropertyStorage> set;
    if (FAILED(sets.Open(id, mode, set.Put()))) set.Reset();
    return set;
}

void ReadSet(IPropertyStorage& set, std::vector<PROPSPEC>& specs, PropValues& values)
{
    Check(SUCCEEDED(set.ReadMultiple(static_cast<ULONG>(specs.size()), specs.data(), values.Data())));
}

// An item id list from SHParseDisplayName-style parsing, freed with CoTaskMemFree.
struct ItemList {
    PIDLIST_ABSOLUTE pidl = nullptr;
    ~ItemList() { CoTaskMemFree(pidl); }
};

HRESULT ParentOf(const std::wstring& path, ItemList& item, IShellFolder** parent, PCUITEMID_CHILD* last)
{
    wchar_t full[MAX_PATH];
    const DWORD n = GetFullPathNameW(path.c_str(), MAX_PATH, full, nullptr);
    if (n == 0 || n >= MAX_PATH) return E_INVALIDARG;
    ComPtr<IShellFolder> desktop;
    HRESULT hr = SHGetDesktopFolder(desktop.Put());
    if (FAILED(hr)) return hr;
    hr = desktop->ParseDisplayName(nullptr, nullptr, full, nullptr, reinterpret_cast<PIDLIST_RELATIVE*>(&item.pidl),
                                   nullptr);
    if (FAILED(hr)) return hr;
    return SHBindToParent(item.pidl, IID_IShellFolder, reinterpret_cast<void**>(parent), last);
}

}  // namespace

HRESULT ShellPropertyBinder::Bind(const std::wstring& path, bool write, IPropertySetStorage** out)
{
    if (!out) return E_POINTER;
    *out = nullptr;
    ItemList item;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    HRESULT hr = ParentOf(path, item, parent.Put(), &last);
    if (FAILED(hr)) return hr;
    if (!write) return parent->BindToStorage(last, nullptr, IID_IPropertySetStorage, reinterpret_cast<void**>(out));

    ComPtr<IBindCtx> ctx;
    hr = CreateBindCtx(0, ctx.Put());
    if (FAILED(hr)) return hr;
    BIND_OPTS opts = {};
    opts.cbStruct = sizeof(opts);
    hr = ctx->GetBindOptions(&opts);
    if (FAILED(hr)) return hr;
    opts.grfMode = kWriteMode;
    hr = ctx->SetBindOptions(&opts);
    if (FAILED(hr)) return hr;
    return parent->BindToStorage(last, ctx.Get(), IID_IPropertySetStorage, reinterpret_cast<void**>(out));
}

void MediaInfo::Clear()
{
    title.clear();
    comments.clear();
    artist.clear();
    album.clear();
    year = 0;
    track = 0;
    genre.clear();
    lyrics.clear();
    music13.clear();
    music38.clear();
    rating = 0;
    durationMs = 0;
    averageDataRate = 0;
    sampleRate = 0;
    sampleSize = 0;
    channelCount = 0;
}

bool MediaInfo::HasTags() const
{
    return !title.empty() || !comments.empty() || !artist.empty() || !album.empty() || !genre.empty() ||
           !lyrics.empty() || !music13.empty() || !music38.empty() || year != 0 || track != 0 || rating != 0;
}

std::wstring MediaInfo::ColumnTitle(const std::wstring& setId, PROPID pid) const
{
    auto set = columnTitles.find(setId);
    if (set == columnTitles.end()) return {};
    auto title = set->second.find(pid);
    return title == set->second.end() ? std::wstring() : title->second;
}

bool MediaInfo::Read(const std::wstring& path)
{
    ShellPropertyBinder shell;
    return Read(path, shell);
}

bool MediaInfo::Read(const std::wstring& path, PropertyBinder& binder)
{
    valid = 1;
    Clear();
    const bool ok = Guarded([&] {
        ComPtr<IPropertySetStorage> sets;
        Check(SUCCEEDED(binder.Bind(path, false, sets.Put())) && sets);
        ReadSets(*sets.Get());
        return true;
    });
    if (!ok) {
        Clear();
        valid = 0;
    }
    return ok;
}

void MediaInfo::ReadSets(IPropertySetStorage& sets)
{
    if (auto set = OpenSet(sets, kSummarySet, kReadMode)) {
        auto specs = Specs({2, 6});
        PropValues v(specs.size());
        ReadSet(*set.Get(), specs, v);
        TakeString(v[0], title);
        TakeString(v[1], comments);
    }
    if (auto set = OpenSet(sets, kMusicSet, kReadMode)) {
        auto specs = Specs({2, 3, 4, 5, 6, 7, 11, 12, 13, 38});
        PropValues v(specs.size());
        ReadSet(*set.Get(), specs, v);
        TakeString(v[0], artist);
        if (title.empty()) TakeString(v[1], title);
        TakeString(v[2], album);
        if (IsString(v[3])) {
            unsigned parsed = 0;
            if (swscanf(v[3].pwszVal, L"%04u", &parsed) == 1) year = parsed;
        } else if (v[3].vt != VT_EMPTY) {
            year = Number32(v[3]);
        }
        if (comments.empty()) TakeString(v[4], comments);
        track = Number32(v[5]);
        TakeString(v[6], genre);
        TakeString(v[7], lyrics);
        TakeString(v[8], music13);
        TakeString(v[9], music38);
    }
    if (auto set = OpenSet(sets, kMediaFileSet, kReadMode)) {
        auto specs = Specs({9});
        PropValues v(specs.size());
        ReadSet(*set.Get(), specs, v);
        rating = Number32(v[0]);
        if (rating >= 100) rating = 0;
    }
    if (auto set = OpenSet(sets, kAudioSet, kReadMode)) {
        auto specs = Specs({3, 4, 5, 6, 7});
        PropValues v(specs.size());
        ReadSet(*set.Get(), specs, v);
        uint64_t duration = 0;
        if (AsNumber(v[0], duration)) durationMs = static_cast<uint32_t>(duration / 10000);
        averageDataRate = Number32(v[1]);
        sampleRate = Number32(v[2]);
        sampleSize = Number32(v[3]);
        channelCount = Number32(v[4]);
    }
}

bool MediaInfo::ReadWithTitles(const std::wstring& path)
{
    ReadColumnTitles(path);
    return Read(path);
}

void MediaInfo::ReadColumnTitles(const std::wstring& path)
{
    columnTitles.clear();
    ItemList item;
    ComPtr<IShellFolder> parent;
    PCUITEMID_CHILD last = nullptr;
    if (FAILED(ParentOf(path, item, parent.Put(), &last))) return;
    ComPtr<IShellFolder2> folder;
    if (FAILED(parent.As(folder))) return;
    for (UINT column = 0;; ++column) {
        SHCOLUMNID scid = {};
        if (FAILED(folder->MapColumnToSCID(column, &scid))) break;
        wchar_t* id = nullptr;
        if (FAILED(StringFromCLSID(scid.fmtid, &id))) continue;
        std::wstring key = id;
        CoTaskMemFree(id);
        std::wstring heading;
        SHELLDETAILS details = {};
        wchar_t* text = nullptr;
        if (SUCCEEDED(folder->GetDetailsOf(last, column, &details)) &&
            SUCCEEDED(StrRetToStrW(&details.str, last, &text))) {
            heading = text;
            CoTaskMemFree(text);
        }
        try {
            columnTitles[key][scid.pid] = heading;
        } catch (...) {
            return;
        }
    }
}

namespace {

// One property to write: its id and a PROPVARIANT that borrows our strings.
struct Item {
    PROPID pid;
    PROPVARIANT value;
};

PROPVARIANT StringValue(const std::wstring& s)
{
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_LPWSTR;
    v.pwszVal = const_cast<wchar_t*>(s.c_str());
    return v;
}

PROPVARIANT NumberValue(uint32_t n)
{
    PROPVARIANT v;
    PropVariantInit(&v);
    v.vt = VT_UI4;
    v.ulVal = n;
    return v;
}

// Writes the items in one call; when that fails for several of them, one by
// one, counting the set as written when any of them went in.
HRESULT WriteItems(IPropertyStorage& set, const std::vector<Item>& items)
{
    std::vector<PROPSPEC> specs;
    std::vector<PROPVARIANT> values;
    for (const Item& item : items) {
        PROPSPEC s = {};
        s.ulKind = PRSPEC_PROPID;
        s.propid = item.pid;
        specs.push_back(s);
        values.push_back(item.value);
    }
    const ULONG count = static_cast<ULONG>(items.size());
    HRESULT hr = set.WriteMultiple(count, specs.data(), values.data(), 2);
    if (FAILED(hr) && count > 1) {
        bool any = false;
        for (ULONG i = 0; i < count; ++i) any |= SUCCEEDED(set.WriteMultiple(1, &specs[i], &values[i], 2));
        hr = any ? S_OK : E_FAIL;
    }
    if (SUCCEEDED(hr)) hr = set.Commit(0);
    return hr;
}

}  // namespace

DWORD MediaInfo::SystemMajorVersion()
{
    OSVERSIONINFOW version = {};
    version.dwOSVersionInfoSize = sizeof(version);
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&version);
#pragma GCC diagnostic pop
    return version.dwMajorVersion;
}

bool MediaInfo::Write(const std::wstring& path)
{
    ShellPropertyBinder shell;
    return Write(path, shell);
}

bool MediaInfo::Write(const std::wstring& path, PropertyBinder& binder)
{
    return Write(path, binder, SystemMajorVersion());
}

bool MediaInfo::Write(const std::wstring& path, PropertyBinder& binder, DWORD systemMajorVersion)
{
    return Guarded([&] {
        const std::wstring yearText = std::to_wstring(year);
        const std::vector<std::pair<const GUID*, std::vector<Item>>> sets = {
            {&kSummarySet, {{2, StringValue(title)}, {6, StringValue(comments)}}},
            {&kMusicSet,
             {{2, StringValue(artist)},
              {3, StringValue(title)},
              {4, StringValue(album)},
              {5, systemMajorVersion > 5 ? NumberValue(year) : StringValue(yearText)},
              {6, StringValue(comments)},
              {7, NumberValue(track)},
              {11, StringValue(genre)},
              {12, StringValue(lyrics)},
              {13, StringValue(music13)},
              {38, StringValue(music38)}}},
            {&kMediaFileSet, {{9, NumberValue(rating)}}},
        };
        for (const auto& [id, items] : sets) {
            ComPtr<IPropertySetStorage> storage;
            Check(SUCCEEDED(binder.Bind(path, true, storage.Put())) && storage);
            auto set = OpenSet(*storage.Get(), *id, kWriteMode);
            if (!set) continue;
            Check(SUCCEEDED(WriteItems(*set.Get(), items)));
        }
        return true;
    });
}

}  // namespace vorlune
