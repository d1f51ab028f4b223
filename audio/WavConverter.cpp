#include "audio/WavConverter.h"

#include <shlwapi.h>
#include <uuids.h>

#include <vector>

#include "io/ProgressRange.h"
#include "audio/WavWriterFilter.h"
#include "io/FileUtil.h"
#include "win/ComPtr.h"
#include "win/Error.h"
#include "win/Handle.h"

namespace vorlune {
namespace {

// {187463A0-5BB7-11D3-ACBE-0080C75E246E}
const CLSID kWmAsfReader = {0x187463A0, 0x5BB7, 0x11D3, {0xAC, 0xBE, 0x00, 0x80, 0xC7, 0x5E, 0x24, 0x6E}};
// {E436EBB5-524F-11CE-9F53-0020AF0BA770}
const CLSID kAsyncReader = {0xE436EBB5, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};

constexpr uint64_t kProgressThreshold = 204800;

// The media type of a pin's connection, freed on every path.
struct ConnectionType {
    AM_MEDIA_TYPE mt = {};
    bool ok = false;
    explicit ConnectionType(IPin* pin) { ok = pin && SUCCEEDED(pin->ConnectionMediaType(&mt)); }
    ~ConnectionType()
    {
        if (!ok) return;
        if (mt.cbFormat) CoTaskMemFree(mt.pbFormat);
        if (mt.pUnk) mt.pUnk->Release();
    }
    ConnectionType(const ConnectionType&) = delete;
    ConnectionType& operator=(const ConnectionType&) = delete;
};

// Removes the first filter without output pins (the renderer the graph built)
// and returns the output pin that fed its audio input.
ComPtr<IPin> DetachRenderer(IGraphBuilder& graph)
{
    ComPtr<IEnumFilters> filters;
    Check(SUCCEEDED(graph.EnumFilters(filters.Put())));
    ComPtr<IBaseFilter> filter;
    while (filters->Next(1, filter.Put(), nullptr) == S_OK) {
        ComPtr<IEnumPins> pins;
        if (FAILED(filter->EnumPins(pins.Put()))) continue;
        bool hasOutput = false;
        ComPtr<IPin> feeder;
        ComPtr<IPin> pin;
        while (pins->Next(1, pin.Put(), nullptr) == S_OK) {
            PIN_DIRECTION dir;
            if (FAILED(pin->QueryDirection(&dir))) continue;
            if (dir == PINDIR_OUTPUT) {
                hasOutput = true;
                break;
            }
            ConnectionType type(pin.Get());
            if (type.ok && type.mt.majortype == MEDIATYPE_Audio) {
                ComPtr<IPin> from;
                if (SUCCEEDED(pin->ConnectedTo(from.Put()))) feeder = from;
            }
        }
        if (hasOutput) continue;
        // Removing the filter breaks its connections; the feeder stays ours.
        Check(SUCCEEDED(graph.RemoveFilter(filter.Get())));
        Check(static_cast<bool>(feeder));
        return feeder;
    }
    Raise();
}

ComPtr<IPin> FindPin(IBaseFilter& filter, const wchar_t* name)
{
    ComPtr<IPin> pin;
    Check(SUCCEEDED(filter.FindPin(name, pin.Put())) && pin);
    return pin;
}

// An existing output file must be writable; it is emptied.
void EmptyExistingOutput(const std::wstring& path)
{
    if (!FileExists(path)) return;
    KernelHandle h(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
    Check(h.Valid());
}

// Stops the graph whatever happens after it was started.
struct RunningGraph {
    IMediaControl* control;
    ~RunningGraph()
    {
        if (control) control->Stop();
    }
};

}  // namespace

SourceKind ClassifyExtension(const std::wstring& path)
{
    const wchar_t* dot = PathFindExtensionW(path.c_str());
    if (!dot || *dot != L'.') return kSourceUnknown;
    std::wstring ext(dot + 1);
    if (ext.empty()) return kSourceUnknown;
    CharLowerW(&ext[0]);
    if (ext == L"mp3") return kSourceMp3;
    if (ext == L"wav" || ext == L"pcm") return kSourceWav;
    if (ext == L"wma") return kSourceWma;
    return kSourceUnknown;
}

double GetDurationSeconds(IGraphBuilder* graph)
{
    if (!graph) return 0;
    ComPtr<IMediaSeeking> seeking;
    if (FAILED(graph->QueryInterface(IID_IMediaSeeking, seeking.PutVoid()))) return 0;
    LONGLONG duration = 0;
    if (FAILED(seeking->GetDuration(&duration))) return 0;
    return double(duration) * 1e-7;
}

long WaitPumping(IGraphBuilder* graph)
{
    ComPtr<IMediaEvent> events;
    if (!graph || FAILED(graph->QueryInterface(IID_IMediaEvent, events.PutVoid()))) return kWaitFailed;
    long code = 0;
    // A quit met here belongs to the loop around us: it goes back on the
    // queue once the wait is over.
    bool quit = false;
    WPARAM exitCode = 0;
    while (code == 0) {
        MSG msg;
        if (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            if (msg.message == WM_QUIT) {
                quit = true;
                exitCode = msg.wParam;
                continue;
            }
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
            continue;
        }
        const HRESULT hr = events->WaitForCompletion(100, &code);
        if (FAILED(hr) && hr != E_ABORT) {
            code = kWaitFailed;
            break;
        }
    }
    if (quit) PostQuitMessage(int(exitCode));
    return code;
}

long WaitWithProgress(IGraphBuilder* graph, ProgressRange* progress, const std::wstring& outputPath,
                      uint64_t expectedBytes)
{
    ComPtr<IMediaEvent> events;
    if (!graph || FAILED(graph->QueryInterface(IID_IMediaEvent, events.PutVoid()))) return kWaitFailed;
    long code = 0;
    while (code == 0) {
        if (progress && progress->IsCancelled()) return kWaitCancelled;
        const HRESULT hr = events->WaitForCompletion(200, &code);
        if (FAILED(hr) && hr != E_ABORT) return kWaitFailed;
        if (progress && expectedBytes) {
            const uint64_t size = GetFileSizeByName(outputPath.c_str());
            progress->SetPercent(float(double(size) * 100.0 / double(expectedBytes)));
        }
    }
    return code;
}

bool ConvertToWav(const std::wstring& sourcePath, const std::wstring& outputPath, ProgressRange* progress)
{
    const bool ok = Guarded([&] {
        Check(!(progress && progress->IsCancelled()));
        Check(!sourcePath.empty() && !outputPath.empty());
        EmptyExistingOutput(outputPath);

        const uint32_t range = progress ? progress->Range() : 0;
        // In whole numbers: a double product truncated here loses a unit in
        // the 32-bit build, whose x87 intermediates are not rounded to double.
        const uint32_t buildShare = static_cast<uint32_t>(uint64_t(range) * 3 / 10);

        ComPtr<IGraphBuilder> graph;
        Check(SUCCEEDED(CoCreateInstance(CLSID_FilterGraph, nullptr, CLSCTX_INPROC_SERVER, IID_IGraphBuilder,
                                         graph.PutVoid())));
        const SourceKind kind = ClassifyExtension(sourcePath);
        Check(kind != kSourceUnknown);

        ComPtr<IBaseFilter> source;
        Check(SUCCEEDED(CoCreateInstance(kind == kSourceWav ? kAsyncReader : kWmAsfReader, nullptr,
                                         CLSCTX_INPROC_SERVER, IID_IBaseFilter, source.PutVoid())));
        ComPtr<IFileSourceFilter> load;
        Check(SUCCEEDED(source.As(load)));
        Check(SUCCEEDED(load->Load(sourcePath.c_str(), nullptr)));
        Check(!(progress && progress->IsCancelled()));
        if (progress) progress->Advance(static_cast<int32_t>(buildShare));

        Check(SUCCEEDED(graph->AddFilter(source.Get(), nullptr)));
        ComPtr<IPin> out = FindPin(*source.Get(), kind == kSourceWav ? L"Output" : L"Raw Audio 0");
        Check(SUCCEEDED(graph->Render(out.Get())));
        const double seconds = GetDurationSeconds(graph.Get());
        Check(seconds > 0);

        ComPtr<IPin> feeder = DetachRenderer(*graph.Get());
        ComPtr<IBaseFilter> writer;
        Check(SUCCEEDED(CreateWavWriterFilter(outputPath, writer.Put())));
        Check(SUCCEEDED(graph->AddFilter(writer.Get(), L"WAV Writer")));
        ComPtr<IPin> in = FindPin(*writer.Get(), L"In");
        Check(SUCCEEDED(graph->Connect(feeder.Get(), in.Get())));

        uint64_t expected = 0;
        if (progress) {
            ConnectionType type(in.Get());
            Check(type.ok && type.mt.majortype == MEDIATYPE_Audio && type.mt.formattype == FORMAT_WaveFormatEx &&
                  type.mt.cbFormat >= sizeof(WAVEFORMATEX) && type.mt.pbFormat);
            const auto* wf = reinterpret_cast<const WAVEFORMATEX*>(type.mt.pbFormat);
            expected = static_cast<uint64_t>(seconds * wf->nAvgBytesPerSec) + 44;
        }

        ComPtr<IMediaControl> control;
        Check(SUCCEEDED(graph.As(control)));
        Check(SUCCEEDED(control->Run()));
        long code;
        {
            RunningGraph running{control.Get()};
            if (progress && expected > kProgressThreshold) {
                NestedProgress run(progress, progress->Range() - progress->Position());
                code = WaitWithProgress(graph.Get(), &run, outputPath, expected);
            } else {
                code = WaitPumping(graph.Get());
            }
        }
        // A cancelled or broken wait leaves a partial file that must not pass
        // for a whole one.
        Check(code == EC_COMPLETE);
        Check(!(progress && progress->IsCancelled()));
        return true;
    });
    return EndProgress(progress, ok);
}

}  // namespace vorlune
