#include "audio/WavWriterFilter.h"

#include <mmreg.h>
#include <evcode.h>
#include <uuids.h>

#include <atomic>
#include <new>

#include "audio/WavHeader.h"
#include "io/FileStream.h"
#include "win/ComObject.h"
#include "win/ComPtr.h"

namespace vorlune {

const CLSID CLSID_WavWriterFilter = {0xBEE0E811, 0x7150, 0x4E8C, {0xBA, 0xAE, 0xF7, 0xC4, 0x89, 0xA8, 0xCA, 0xEE}};

namespace {

const wchar_t kPinName[] = L"In";
const wchar_t kFilterName[] = L"WAV Writer";

class Lock {
public:
    explicit Lock(CRITICAL_SECTION& cs) : cs_(cs) { EnterCriticalSection(&cs_); }
    ~Lock() { LeaveCriticalSection(&cs_); }
    Lock(const Lock&) = delete;
    Lock& operator=(const Lock&) = delete;

private:
    CRITICAL_SECTION& cs_;
};

void FreeMediaTypeFields(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat) CoTaskMemFree(mt.pbFormat);
    mt.cbFormat = 0;
    mt.pbFormat = nullptr;
    if (mt.pUnk) mt.pUnk->Release();
    mt.pUnk = nullptr;
}

HRESULT CopyMediaType(AM_MEDIA_TYPE& to, const AM_MEDIA_TYPE& from)
{
    to = from;
    to.pbFormat = nullptr;
    to.cbFormat = 0;
    if (from.cbFormat) {
        to.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(from.cbFormat));
        if (!to.pbFormat) return E_OUTOFMEMORY;
        memcpy(to.pbFormat, from.pbFormat, from.cbFormat);
        to.cbFormat = from.cbFormat;
    }
    if (to.pUnk) to.pUnk->AddRef();
    return S_OK;
}

// The PCM layout of a media type we can write, or false.
bool PcmLayout(const AM_MEDIA_TYPE& mt, WAVEFORMATEX& wf)
{
    if (mt.majortype != MEDIATYPE_Audio || mt.formattype != FORMAT_WaveFormatEx) return false;
    if (mt.subtype != MEDIASUBTYPE_PCM) return false;
    if (!mt.pbFormat || mt.cbFormat < sizeof(PCMWAVEFORMAT)) return false;
    const auto* in = reinterpret_cast<const WAVEFORMATEX*>(mt.pbFormat);
    if (in->wFormatTag == WAVE_FORMAT_EXTENSIBLE) {
        if (mt.cbFormat < sizeof(WAVEFORMATEXTENSIBLE)) return false;
        const auto* ext = reinterpret_cast<const WAVEFORMATEXTENSIBLE*>(mt.pbFormat);
        if (ext->SubFormat != MEDIASUBTYPE_PCM) return false;  // the same GUID as the KS PCM subformat
    } else if (in->wFormatTag != WAVE_FORMAT_PCM) {
        return false;
    }
    if (in->nChannels == 0 || in->nSamplesPerSec == 0 || in->wBitsPerSample == 0 || in->wBitsPerSample % 8) return false;
    if (in->nBlockAlign != in->nChannels * in->wBitsPerSample / 8) return false;
    wf = {};
    wf.wFormatTag = WAVE_FORMAT_PCM;
    wf.nChannels = in->nChannels;
    wf.nSamplesPerSec = in->nSamplesPerSec;
    wf.nBlockAlign = in->nBlockAlign;
    wf.nAvgBytesPerSec = in->nSamplesPerSec * in->nBlockAlign;
    wf.wBitsPerSample = in->wBitsPerSample;
    return true;
}

// An enumerator over nothing: the pin has no preferred media types.
class EmptyMediaTypes final : public ComObject<IEnumMediaTypes> {
public:
    HRESULT STDMETHODCALLTYPE Next(ULONG count, AM_MEDIA_TYPE**, ULONG* fetched) override
    {
        if (fetched) *fetched = 0;
        return count == 0 ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override { return count == 0 ? S_OK : S_FALSE; }
    HRESULT STDMETHODCALLTYPE Reset() override { return S_OK; }
    HRESULT STDMETHODCALLTYPE Clone(IEnumMediaTypes** out) override
    {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) EmptyMediaTypes;
        return *out ? S_OK : E_OUTOFMEMORY;
    }
};

class WavWriter;

// An enumerator over the filter's one pin.
class OnePin final : public ComObject<IEnumPins> {
public:
    OnePin(IPin* pin, ULONG position) : pin_(pin), position_(position) { pin_->AddRef(); }
    ~OnePin() override { pin_->Release(); }
    HRESULT STDMETHODCALLTYPE Next(ULONG count, IPin** pins, ULONG* fetched) override
    {
        if (!pins || (count > 1 && !fetched)) return E_POINTER;
        ULONG n = 0;
        if (count > 0 && position_ == 0) {
            pins[0] = pin_;
            pin_->AddRef();
            position_ = 1;
            n = 1;
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Skip(ULONG count) override
    {
        const ULONG left = 1 - position_;
        position_ = count >= left ? 1 : position_ + count;
        return count <= left ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE Reset() override
    {
        position_ = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Clone(IEnumPins** out) override
    {
        if (!out) return E_POINTER;
        *out = new (std::nothrow) OnePin(pin_, position_);
        return *out ? S_OK : E_OUTOFMEMORY;
    }

private:
    IPin* pin_;
    ULONG position_;
};

class WavWriter final : public IBaseFilter, public IAMFilterMiscFlags {
public:
    explicit WavWriter(std::wstring path) : path_(std::move(path)), pin_(*this)
    {
        InitializeCriticalSection(&lock_);
        mt_ = {};
    }
    ~WavWriter()
    {
        CloseFile();
        FreeMediaTypeFields(mt_);
        if (clock_) clock_->Release();
        DeleteCriticalSection(&lock_);
    }

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
    {
        if (!out) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IPersist || iid == IID_IMediaFilter || iid == IID_IBaseFilter)
            *out = static_cast<IBaseFilter*>(this);
        else if (iid == IID_IAMFilterMiscFlags)
            *out = static_cast<IAMFilterMiscFlags*>(this);
        else {
            *out = nullptr;
            return E_NOINTERFACE;
        }
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
    ULONG STDMETHODCALLTYPE Release() override
    {
        const ULONG n = --refs_;
        if (n == 0) delete this;
        return n;
    }

    // IPersist
    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override
    {
        if (!id) return E_POINTER;
        *id = CLSID_WavWriterFilter;
        return S_OK;
    }

    // IMediaFilter
    HRESULT STDMETHODCALLTYPE Stop() override
    {
        Lock lock(lock_);
        state_ = State_Stopped;
        CloseFile();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Pause() override
    {
        Lock lock(lock_);
        if (state_ == State_Stopped) {
            eos_ = false;
            eosPending_ = false;
            if (pin_.IsConnected() && !OpenFile()) return E_FAIL;
        }
        state_ = State_Paused;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Run(REFERENCE_TIME) override
    {
        Lock lock(lock_);
        if (state_ == State_Stopped) {
            eos_ = false;
            eosPending_ = false;
            if (pin_.IsConnected() && !OpenFile()) return E_FAIL;
        }
        state_ = State_Running;
        if (eosPending_) {
            eosPending_ = false;
            NotifyComplete();
        }
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetState(DWORD, FILTER_STATE* state) override
    {
        if (!state) return E_POINTER;
        Lock lock(lock_);
        *state = state_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE SetSyncSource(IReferenceClock* clock) override
    {
        Lock lock(lock_);
        if (clock) clock->AddRef();
        if (clock_) clock_->Release();
        clock_ = clock;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetSyncSource(IReferenceClock** clock) override
    {
        if (!clock) return E_POINTER;
        Lock lock(lock_);
        *clock = clock_;
        if (clock_) clock_->AddRef();
        return S_OK;
    }

    // IBaseFilter
    HRESULT STDMETHODCALLTYPE EnumPins(IEnumPins** pins) override
    {
        if (!pins) return E_POINTER;
        *pins = new (std::nothrow) OnePin(&pin_, 0);
        return *pins ? S_OK : E_OUTOFMEMORY;
    }
    HRESULT STDMETHODCALLTYPE FindPin(LPCWSTR id, IPin** pin) override
    {
        if (!id || !pin) return E_POINTER;
        if (wcscmp(id, kPinName) != 0) {
            *pin = nullptr;
            return VFW_E_NOT_FOUND;
        }
        *pin = &pin_;
        pin_.AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryFilterInfo(FILTER_INFO* info) override
    {
        if (!info) return E_POINTER;
        Lock lock(lock_);
        wcsncpy(info->achName, name_, MAX_FILTER_NAME - 1);
        info->achName[MAX_FILTER_NAME - 1] = 0;
        info->pGraph = graph_;
        if (graph_) graph_->AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE JoinFilterGraph(IFilterGraph* graph, LPCWSTR name) override
    {
        Lock lock(lock_);
        graph_ = graph;  // not counted: the graph owns us
        wcsncpy(name_, name ? name : kFilterName, MAX_FILTER_NAME - 1);
        name_[MAX_FILTER_NAME - 1] = 0;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE QueryVendorInfo(LPWSTR* info) override
    {
        if (info) *info = nullptr;
        return E_NOTIMPL;
    }

    // IAMFilterMiscFlags: the graph counts us among the renderers whose end it waits for.
    ULONG STDMETHODCALLTYPE GetMiscFlags() override { return AM_FILTER_MISC_FLAGS_IS_RENDERER; }

private:
    class InputPin final : public IPin, public IMemInputPin {
    public:
        explicit InputPin(WavWriter& filter) : filter_(filter) {}
        ~InputPin()
        {
            if (peer_) peer_->Release();
        }
        bool IsConnected() const { return peer_ != nullptr; }

        HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override
        {
            if (!out) return E_POINTER;
            if (iid == IID_IUnknown || iid == IID_IPin)
                *out = static_cast<IPin*>(this);
            else if (iid == IID_IMemInputPin)
                *out = static_cast<IMemInputPin*>(this);
            else {
                *out = nullptr;
                return E_NOINTERFACE;
            }
            AddRef();
            return S_OK;
        }
        // The pin lives inside the filter and keeps it alive.
        ULONG STDMETHODCALLTYPE AddRef() override { return filter_.AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return filter_.Release(); }

        // IPin
        HRESULT STDMETHODCALLTYPE Connect(IPin*, const AM_MEDIA_TYPE*) override { return E_UNEXPECTED; }
        HRESULT STDMETHODCALLTYPE ReceiveConnection(IPin* from, const AM_MEDIA_TYPE* mt) override
        {
            if (!from || !mt) return E_POINTER;
            Lock lock(filter_.lock_);
            if (peer_) return VFW_E_ALREADY_CONNECTED;
            if (filter_.state_ != State_Stopped) return VFW_E_NOT_STOPPED;
            WAVEFORMATEX wf;
            if (!PcmLayout(*mt, wf)) return VFW_E_TYPE_NOT_ACCEPTED;
            FreeMediaTypeFields(filter_.mt_);
            if (FAILED(CopyMediaType(filter_.mt_, *mt))) return E_OUTOFMEMORY;
            filter_.format_ = wf;
            peer_ = from;
            peer_->AddRef();
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE Disconnect() override
        {
            Lock lock(filter_.lock_);
            if (filter_.state_ != State_Stopped) return VFW_E_NOT_STOPPED;
            if (!peer_) return S_FALSE;
            peer_->Release();
            peer_ = nullptr;
            FreeMediaTypeFields(filter_.mt_);
            filter_.mt_ = {};
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE ConnectedTo(IPin** pin) override
        {
            if (!pin) return E_POINTER;
            Lock lock(filter_.lock_);
            *pin = peer_;
            if (!peer_) return VFW_E_NOT_CONNECTED;
            peer_->AddRef();
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE ConnectionMediaType(AM_MEDIA_TYPE* mt) override
        {
            if (!mt) return E_POINTER;
            Lock lock(filter_.lock_);
            if (!peer_) {
                *mt = {};
                return VFW_E_NOT_CONNECTED;
            }
            return CopyMediaType(*mt, filter_.mt_);
        }
        HRESULT STDMETHODCALLTYPE QueryPinInfo(PIN_INFO* info) override
        {
            if (!info) return E_POINTER;
            info->pFilter = &filter_;
            filter_.AddRef();
            info->dir = PINDIR_INPUT;
            wcscpy(info->achName, kPinName);
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE QueryDirection(PIN_DIRECTION* dir) override
        {
            if (!dir) return E_POINTER;
            *dir = PINDIR_INPUT;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE QueryId(LPWSTR* id) override
        {
            if (!id) return E_POINTER;
            *id = static_cast<LPWSTR>(CoTaskMemAlloc(sizeof(kPinName)));
            if (!*id) return E_OUTOFMEMORY;
            memcpy(*id, kPinName, sizeof(kPinName));
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE QueryAccept(const AM_MEDIA_TYPE* mt) override
        {
            WAVEFORMATEX wf;
            return mt && PcmLayout(*mt, wf) ? S_OK : S_FALSE;
        }
        HRESULT STDMETHODCALLTYPE EnumMediaTypes(IEnumMediaTypes** types) override
        {
            if (!types) return E_POINTER;
            *types = new (std::nothrow) EmptyMediaTypes;
            return *types ? S_OK : E_OUTOFMEMORY;
        }
        HRESULT STDMETHODCALLTYPE QueryInternalConnections(IPin**, ULONG* count) override
        {
            if (count) *count = 0;
            return E_NOTIMPL;
        }
        HRESULT STDMETHODCALLTYPE EndOfStream() override { return filter_.OnEndOfStream(); }
        HRESULT STDMETHODCALLTYPE BeginFlush() override
        {
            filter_.flushing_ = true;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE EndFlush() override
        {
            filter_.flushing_ = false;
            return S_OK;
        }
        HRESULT STDMETHODCALLTYPE NewSegment(REFERENCE_TIME, REFERENCE_TIME, double) override { return S_OK; }

        // IMemInputPin: the upstream pin brings its own allocator.
        HRESULT STDMETHODCALLTYPE GetAllocator(IMemAllocator** allocator) override
        {
            if (allocator) *allocator = nullptr;
            return VFW_E_NO_ALLOCATOR;
        }
        HRESULT STDMETHODCALLTYPE NotifyAllocator(IMemAllocator*, BOOL) override { return S_OK; }
        HRESULT STDMETHODCALLTYPE GetAllocatorRequirements(ALLOCATOR_PROPERTIES*) override { return E_NOTIMPL; }
        HRESULT STDMETHODCALLTYPE Receive(IMediaSample* sample) override { return filter_.OnSample(sample); }
        HRESULT STDMETHODCALLTYPE ReceiveMultiple(IMediaSample** samples, long count, long* done) override
        {
            if (!samples || !done) return E_POINTER;
            *done = 0;
            HRESULT hr = S_OK;
            for (long i = 0; i < count && hr == S_OK; ++i) {
                hr = filter_.OnSample(samples[i]);
                if (hr == S_OK) ++*done;
            }
            return hr;
        }
        HRESULT STDMETHODCALLTYPE ReceiveCanBlock() override { return S_FALSE; }

    private:
        WavWriter& filter_;
        IPin* peer_ = nullptr;
    };

    bool OpenFile()
    {
        CloseFile();
        dataBytes_ = 0;
        if (!file_.Create(path_)) return false;
        if (!WriteWavHeader(file_, format_, 0)) {
            CloseFile();
            return false;
        }
        return true;
    }

    // Puts the real sizes into the header and lets the file go.
    void CloseFile()
    {
        if (!file_.IsOpen()) return;
        PatchWavHeader(file_, dataBytes_.load());
        file_.Close();
    }

    HRESULT OnSample(IMediaSample* sample)
    {
        if (!sample) return E_POINTER;
        Lock lock(lock_);
        if (state_ == State_Stopped) return VFW_E_WRONG_STATE;
        if (flushing_ || eos_) return S_FALSE;
        if (!file_.IsOpen()) return E_FAIL;
        BYTE* data = nullptr;
        if (FAILED(sample->GetPointer(&data))) return E_FAIL;
        const long length = sample->GetActualDataLength();
        if (length <= 0) return S_OK;
        // WAV sizes are 32-bit: stop at the largest whole frame that fits.
        const uint64_t limit = kMaxWavDataBytes - kMaxWavDataBytes % format_.nBlockAlign;
        const uint64_t room = limit - std::min<uint64_t>(limit, dataBytes_.load());
        const uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(room, uint64_t(length)));
        if (n && file_.Write(data, 1, n) != n) return E_FAIL;
        dataBytes_ += n;
        return S_OK;
    }

    HRESULT OnEndOfStream()
    {
        Lock lock(lock_);
        if (eos_) return S_OK;
        eos_ = true;
        if (file_.IsOpen()) {
            PatchWavHeader(file_, dataBytes_.load());
            file_.Flush();
        }
        if (state_ == State_Running)
            NotifyComplete();
        else
            eosPending_ = true;
        return S_OK;
    }

    void NotifyComplete()
    {
        if (!graph_) return;
        ComPtr<IMediaEventSink> sink;
        if (SUCCEEDED(graph_->QueryInterface(IID_IMediaEventSink, sink.PutVoid())))
            sink->Notify(EC_COMPLETE, S_OK, reinterpret_cast<LONG_PTR>(static_cast<IBaseFilter*>(this)));
    }

    std::atomic<ULONG> refs_{1};
    CRITICAL_SECTION lock_;
    std::wstring path_;
    InputPin pin_;
    FILTER_STATE state_ = State_Stopped;
    IFilterGraph* graph_ = nullptr;
    IReferenceClock* clock_ = nullptr;
    wchar_t name_[MAX_FILTER_NAME] = {};
    AM_MEDIA_TYPE mt_;
    WAVEFORMATEX format_ = {};
    FileStream file_;
    std::atomic<uint64_t> dataBytes_{0};
    std::atomic<bool> flushing_{false};
    bool eos_ = false;
    bool eosPending_ = false;
};

}  // namespace

HRESULT CreateWavWriterFilter(const std::wstring& outputPath, IBaseFilter** filter)
{
    if (!filter) return E_POINTER;
    *filter = nullptr;
    if (outputPath.empty()) return E_INVALIDARG;
    try {
        *filter = new WavWriter(outputPath);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    return S_OK;
}

}  // namespace vorlune
