#pragma once

#include <windows.h>

#include <objidl.h>

#include <cstdint>
#include <map>
#include <string>

#include "win/ComPtr.h"

namespace vorlune {

// Opens a file's property sets. The program binds through the shell; tests
// give a stand-in for platforms whose shell offers none.
class PropertyBinder {
public:
    virtual ~PropertyBinder() = default;
    virtual HRESULT Bind(const std::wstring& path, bool write, IPropertySetStorage** out) = 0;
};

// Binds a file as IPropertySetStorage through its parent shell folder.
class ShellPropertyBinder final : public PropertyBinder {
public:
    HRESULT Bind(const std::wstring& path, bool write, IPropertySetStorage** out) override;
};

// A song's descriptive tags and audio facts, read from a media file and
// written into another through the shell's property handlers.
class MediaInfo {
public:
    // Property set identifier as a string ("{...}") -> property id -> column title.
    using ColumnTitles = std::map<std::wstring, std::map<PROPID, std::wstring>>;

    MediaInfo() = default;
    virtual ~MediaInfo() = default;

    // Column titles of the file's folder first, then the properties.
    virtual bool ReadWithTitles(const std::wstring& path);
    virtual bool Write(const std::wstring& path);
    virtual std::wstring ColumnTitle(const std::wstring& setId, PROPID pid) const;

    bool Read(const std::wstring& path);
    bool Read(const std::wstring& path, PropertyBinder& binder);
    bool Write(const std::wstring& path, PropertyBinder& binder);
    // Writes with the year stored as a number on systems above major version 5,
    // as a string before.
    bool Write(const std::wstring& path, PropertyBinder& binder, DWORD systemMajorVersion);

    static DWORD SystemMajorVersion();

    bool HasTags() const;
    void Clear();

    int valid = 0;
    ColumnTitles columnTitles;
    std::wstring title;
    std::wstring comments;
    std::wstring artist;
    std::wstring album;
    uint32_t year = 0;
    uint32_t track = 0;
    std::wstring genre;
    std::wstring lyrics;
    std::wstring music13;
    std::wstring music38;
    uint32_t rating = 0;
    uint32_t durationMs = 0;
    uint32_t averageDataRate = 0;
    uint32_t sampleRate = 0;
    uint32_t sampleSize = 0;
    uint32_t channelCount = 0;

private:
    void ReadColumnTitles(const std::wstring& path);
    void ReadSets(IPropertySetStorage& sets);
};

}  // namespace vorlune
