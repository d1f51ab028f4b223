#pragma once

#include <windows.h>

#include <dshow.h>

#include <string>

namespace vorlune {

// {BEE0E811-7150-4E8C-BAAE-F7C489A8CAEE}
extern const CLSID CLSID_WavWriterFilter;

// A DirectShow sink with one input pin, "In", that takes uncompressed PCM and
// writes it to a file as RIFF/WAVE with the 44-byte header. It reports the end
// of the stream to the graph as a renderer does, so the graph's completion
// event means the file is whole. The program creates it itself; it needs no
// registration.
HRESULT CreateWavWriterFilter(const std::wstring& outputPath, IBaseFilter** filter);

}  // namespace vorlune
