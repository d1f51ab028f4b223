#pragma once

#include <vector>

#include "gfx/ImageInfo.h"
#include "io/Stream.h"

namespace vorlune {

// One marker read by ScanJpegMarker.
struct JpegMarkerScan {
    int code = 0;         // the plain marker code
    uint16_t length = 0;  // its length field
    bool kept = false;    // an application marker: `marker` holds it
    JpegMarker marker;
};

// Reads one marker segment at the stream's position. Up to five 0xFF bytes
// may precede the code; EOI, a length below 2, a short payload or anything
// that is not a marker fail. Application markers are read whole and tagged
// when recognised (JFIF, Exif, Photoshop with IPTC data); any other segment is
// skipped.
bool ScanJpegMarker(Stream& stream, JpegMarkerScan& out) noexcept;

// The application markers of a JPEG stream at the stream's position: SOI,
// then marker segments up to the start of the scan. On failure the list is
// left empty. The stream is left wherever reading stopped.
bool ReadJpegMarkers(Stream& stream, std::vector<JpegMarker>& out) noexcept;

// Whether a Photoshop image-resource payload ("8BIM" blocks) holds a block
// with the given resource id.
bool HasImageResource(const uint8_t* data, size_t size, uint16_t id) noexcept;

}  // namespace vorlune
