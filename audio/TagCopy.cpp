#include "audio/TagCopy.h"

#include <windows.h>

#include <taglib/attachedpictureframe.h>
#include <taglib/commentsframe.h>
#include <taglib/id3v1tag.h>
#include <taglib/id3v2framefactory.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/textidentificationframe.h>
#include <taglib/tfilestream.h>

#include <algorithm>
#include <memory>

#include "io/PathText.h"
#include "win/Error.h"

namespace vorlune {
namespace {

namespace ID3v2 = TagLib::ID3v2;
using TagLib::ByteVector;
using TagLib::String;
using Frames = std::vector<std::unique_ptr<ID3v2::Frame>>;

// The text frames that are copied, by the names they are reported with.
struct TextTag {
    const char* id;
    const wchar_t* name;
};
constexpr TextTag kTextTags[] = {
    {"TIT2", L"title"}, {"TPE1", L"artist"}, {"TPE2", L"album artist"}, {"TALB", L"album"},
    {"TDRC", L"year"},  {"TRCK", L"track"},  {"TCON", L"genre"},
};
constexpr const wchar_t* kComment = L"comment";
constexpr const wchar_t* kComposer = L"composer";
constexpr const wchar_t* kPicture = L"picture";

String::Type TextEncoding(const String& s)
{
    return s.isLatin1() ? String::Latin1 : String::UTF16;
}

std::unique_ptr<ID3v2::Frame> TextFrame(const char* id, const TagLib::StringList& fields, String::Type encoding)
{
    auto frame = std::make_unique<ID3v2::TextIdentificationFrame>(ByteVector(id), encoding);
    frame->setText(fields);
    return frame;
}

std::unique_ptr<ID3v2::Frame> CommentFrame(const ID3v2::CommentsFrame& from)
{
    auto frame = std::make_unique<ID3v2::CommentsFrame>(from.textEncoding());
    frame->setLanguage(from.language());
    frame->setDescription(from.description());
    frame->setText(from.text());
    return frame;
}

bool HasText(const TagLib::StringList& fields)
{
    for (const String& s : fields)
        if (!s.isEmpty()) return true;
    return false;
}

// The first non-empty frame of a text tag.
const ID3v2::TextIdentificationFrame* FirstText(const ID3v2::Tag& tag, const char* id)
{
    for (const ID3v2::Frame* f : tag.frameList(id)) {
        const auto* text = dynamic_cast<const ID3v2::TextIdentificationFrame*>(f);
        if (text && HasText(text->fieldList())) return text;
    }
    return nullptr;
}

void CopyId3v2(const ID3v2::Tag& tag, Frames& out, std::vector<std::wstring>& names)
{
    const auto text = [&](const char* id, const wchar_t* name) {
        if (const auto* f = FirstText(tag, id)) {
            out.push_back(TextFrame(id, f->fieldList(), f->textEncoding()));
            names.push_back(name);
        }
    };
    for (const TextTag& t : kTextTags) text(t.id, t.name);

    bool comment = false;
    for (const ID3v2::Frame* f : tag.frameList("COMM")) {
        const auto* c = dynamic_cast<const ID3v2::CommentsFrame*>(f);
        // iTunNORM, iTunSMPB and the like are loudness and gapless data of
        // the song's own audio, not comments.
        if (!c || c->text().isEmpty() || c->description().startsWith("iTun")) continue;
        out.push_back(CommentFrame(*c));
        comment = true;
    }
    if (comment) names.push_back(kComment);
    text("TCOM", kComposer);

    // The front cover first: phones and Windows show the first picture.
    std::vector<const ID3v2::AttachedPictureFrame*> pictures;
    for (const ID3v2::Frame* f : tag.frameList("APIC")) {
        const auto* p = dynamic_cast<const ID3v2::AttachedPictureFrame*>(f);
        if (p && !p->picture().isEmpty()) pictures.push_back(p);
    }
    std::stable_partition(pictures.begin(), pictures.end(), [](const ID3v2::AttachedPictureFrame* p) {
        return p->type() == ID3v2::AttachedPictureFrame::FrontCover;
    });
    for (const ID3v2::AttachedPictureFrame* p : pictures) {
        auto frame = std::make_unique<ID3v2::AttachedPictureFrame>();
        frame->setTextEncoding(p->textEncoding());
        frame->setMimeType(p->mimeType());
        frame->setDescription(p->description());
        frame->setType(p->type());
        frame->setPicture(p->picture());
        out.push_back(std::move(frame));
        names.push_back(kPicture);
    }
}

void CopyId3v1(const TagLib::ID3v1::Tag& tag, Frames& out, std::vector<std::wstring>& names)
{
    const auto text = [&](const char* id, const wchar_t* name, const String& value) {
        if (value.isEmpty()) return;
        out.push_back(TextFrame(id, TagLib::StringList(value), TextEncoding(value)));
        names.push_back(name);
    };
    text("TIT2", L"title", tag.title());
    text("TPE1", L"artist", tag.artist());
    text("TALB", L"album", tag.album());
    if (tag.year()) text("TDRC", L"year", String::number(int(tag.year())));
    if (tag.track()) text("TRCK", L"track", String::number(int(tag.track())));
    text("TCON", L"genre", tag.genre());
    if (!tag.comment().isEmpty()) {
        auto frame = std::make_unique<ID3v2::CommentsFrame>(TextEncoding(tag.comment()));
        frame->setLanguage("eng");
        frame->setText(tag.comment());
        out.push_back(std::move(frame));
        names.push_back(kComment);
    }
}

}  // namespace

const std::vector<std::wstring>& TagCopy::Names()
{
    static const std::vector<std::wstring> names = [] {
        std::vector<std::wstring> all;
        for (const TextTag& t : kTextTags) all.push_back(t.name);
        all.insert(all.end(), {kComment, kComposer, kPicture});
        return all;
    }();
    return names;
}

bool TagCopy::Run(const std::wstring& song, const std::wstring& ringtone) noexcept
{
    failed_ = Step::kReadSong;
    copied_.clear();
    fromId3v1_ = false;
    Frames frames;
    std::vector<std::wstring> names;
    const bool read = Guarded([&] {
        TagLib::FileStream stream(LongPath(song).c_str(), true);
        Check(stream.isOpen());
        TagLib::MPEG::File file(&stream, ID3v2::FrameFactory::instance(), false);
        Check(file.isValid());
        if (file.hasID3v2Tag()) CopyId3v2(*file.ID3v2Tag(), frames, names);
        // An ID3v2 tag with nothing of use in it counts as none.
        if (frames.empty() && file.hasID3v1Tag()) {
            fromId3v1_ = true;
            CopyId3v1(*file.ID3v1Tag(), frames, names);
        }
        return true;
    });
    if (!read) return false;

    failed_ = Step::kNone;
    if (frames.empty()) return true;  // a song without tags leaves the ringtone as it is
    failed_ = Step::kWriteRingtone;
    const bool written = Guarded([&] {
        TagLib::FileStream stream(LongPath(ringtone).c_str(), false);
        Check(stream.isOpen() && !stream.readOnly());
        TagLib::MPEG::File file(&stream, ID3v2::FrameFactory::instance(), false);
        Check(file.isValid());
        ID3v2::Tag* tag = file.ID3v2Tag(true);
        while (!tag->frameList().isEmpty()) tag->removeFrame(tag->frameList().front());
        for (auto& f : frames) tag->addFrame(f.release());
        // ID3v2.3, which phones and Windows read; any other tag goes.
        return file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, ID3v2::v3,
                         TagLib::File::DoNotDuplicate);
    });
    if (!written) return false;
    failed_ = Step::kNone;
    copied_ = std::move(names);
    return true;
}

}  // namespace vorlune
