#include "sounds/wave_file_sound.h"

#include <algorithm>
#include <cstring>

namespace sonidrax {

namespace {

constexpr FOURCC kWave = mmioFOURCC('W', 'A', 'V', 'E');
constexpr FOURCC kFmt = mmioFOURCC('f', 'm', 't', ' ');
constexpr FOURCC kData = mmioFOURCC('d', 'a', 't', 'a');
constexpr uint32_t kPcmFormatBytes = 16;  // the PCMWAVEFORMAT part of "fmt "
constexpr uint32_t kFormatBytes = 18;     // WAVEFORMATEX up to its extra bytes
constexpr LONG kDiskBufferBytes = 65536;  // the I/O buffer of a disk file
constexpr LONG kMemoryGrowBytes = 8192;
constexpr uint32_t kRingFrames = 4;  // a ring holds whole frames in each quarter

}  // namespace

WaveFileSound::WaveFileSound(const SoundContext& context, bool reversed)
    : SoundBuffer(context, kWaveFileKind, reversed) {}

WaveFileSound::~WaveFileSound() { CloseSource(); }

Status WaveFileSound::Fail(Status status) {
    CloseSource();
    return status;
}

Status WaveFileSound::OpenFile(const char* path, uint32_t bufferBytes) {
    if (path == nullptr) return kFileNotFound;
    Status named = SetFileName(path);
    if (named != kOk) return named;

    // Naming the DOS procedure keeps a "+" in the name from being read as an
    // element of a compound file; everything else is as with no info at all.
    MMIOINFO plainFile{};
    plainFile.fccIOProc = FOURCC_DOS;
    // Only MMIO_PARSE would write to the name.
    HMMIO file = mmioOpenA(const_cast<char*>(FileName()), &plainFile, MMIO_ALLOCBUF | MMIO_READ);
    if (file == nullptr) return kFileNotFound;
    SetSource(file);
    LONG size = mmioSeek(file, 0, SEEK_END);
    if (size < 0 || mmioSeek(file, 0, SEEK_SET) != 0) return Fail(kUnsupportedFormat);
    imageBytes_ = static_cast<uint32_t>(size);
    return OpenImage(bufferBytes, true);
}

Status WaveFileSound::OpenMemory(HGLOBAL handle, uint32_t) {
    if (handle == nullptr) return kUnsupportedFormat;
    void* image = GlobalLock(handle);
    if (image == nullptr) return kUnsupportedFormat;

    MMIOINFO info{};
    info.fccIOProc = FOURCC_MEM;
    info.pchBuffer = static_cast<HPSTR>(image);
    info.cchBuffer = static_cast<LONG>(GlobalSize(handle));
    info.adwInfo[0] = kMemoryGrowBytes;
    HMMIO file = mmioOpenA(nullptr, &info, MMIO_READWRITE);
    Status result = kUnsupportedFormat;
    if (file != nullptr) {
        SetSource(file);
        imageBytes_ = static_cast<uint32_t>(info.cchBuffer);
        result = OpenImage(0, false);
        CloseSource();
    }
    GlobalUnlock(handle);
    return result;
}

Status WaveFileSound::OpenImage(uint32_t bufferBytes, bool diskFile) {
    Status header = ReadHeader();
    if (header != kOk) return Fail(header);
    if (diskFile) mmioSetBuffer(File(), nullptr, kDiskBufferBytes, 0);

    Status found = SeekData(0);
    if (found != kOk) {
        FreeFormat();
        return Fail(found);
    }
    SetDataBytes(dataChunk_.cksize);

    const uint32_t dataBytes = DataBytes();
    uint32_t size = dataBytes;
    if (bufferBytes != 0 && bufferBytes < dataBytes) {
        // A ring of whole frames in each quarter, so that refills and reversed
        // blocks never split a frame.
        uint32_t unit = kRingFrames * FrameSize();
        size = std::max(bufferBytes / unit * unit, std::min(unit, dataBytes));
    }
    uint32_t delivered = 0;
    Status created = CreateBuffer(size, &delivered);
    if (created != kOk) return Fail(created);
    if (delivered == dataBytes) CloseSource();
    return kOk;
}

Status WaveFileSound::ReadHeader() {
    HMMIO file = File();
    riffChunk_ = MMCKINFO{};
    if (mmioDescend(file, &riffChunk_, nullptr, 0) != MMSYSERR_NOERROR) return kUnsupportedFormat;
    if (riffChunk_.ckid != FOURCC_RIFF || riffChunk_.fccType != kWave) return kUnsupportedFormat;

    MMCKINFO fmt{};
    fmt.ckid = kFmt;
    if (mmioDescend(file, &fmt, &riffChunk_, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return kUnsupportedFormat;
    // A chunk that claims more than the image holds is not a format to trust.
    if (fmt.cksize < kPcmFormatBytes || uint64_t{fmt.dwDataOffset} + fmt.cksize > imageBytes_) {
        return kUnsupportedFormat;
    }
    PCMWAVEFORMAT pcm{};
    if (mmioRead(file, reinterpret_cast<HPSTR>(&pcm), kPcmFormatBytes) != static_cast<LONG>(kPcmFormatBytes)) {
        return kUnsupportedFormat;
    }
    // The extra-byte count belongs to non-PCM formats only, and only when the
    // chunk has room for it.
    WORD extra = 0;
    if (pcm.wf.wFormatTag != WAVE_FORMAT_PCM && fmt.cksize >= kFormatBytes) {
        if (mmioRead(file, reinterpret_cast<HPSTR>(&extra), sizeof extra) != sizeof extra) return kUnsupportedFormat;
        if (extra > fmt.cksize - kFormatBytes) return kUnsupportedFormat;
    }

    WAVEFORMATEX* format = AllocateFormat(kFormatBytes + extra);
    if (format == nullptr) return kOutOfMemory;
    std::memcpy(format, &pcm, kPcmFormatBytes);
    format->cbSize = extra;
    bool ok =
        extra == 0 || mmioRead(file, reinterpret_cast<HPSTR>(format) + kFormatBytes, extra) == static_cast<LONG>(extra);
    if (ok) ok = mmioAscend(file, &fmt, 0) == MMSYSERR_NOERROR;
    if (!ok) {
        FreeFormat();
        return kUnsupportedFormat;
    }
    return kOk;
}

Status WaveFileSound::FindData() {
    HMMIO file = File();
    if (mmioSeek(file, static_cast<LONG>(riffChunk_.dwDataOffset + 4), SEEK_SET) == -1) return kUnsupportedFormat;
    dataChunk_ = MMCKINFO{};
    dataChunk_.ckid = kData;
    if (mmioDescend(file, &dataChunk_, &riffChunk_, MMIO_FINDCHUNK) != MMSYSERR_NOERROR) return kUnsupportedFormat;
    if (dataChunk_.dwDataOffset > imageBytes_) return kUnsupportedFormat;
    // Recorders that stopped early leave a size they never wrote: the data ends
    // where the image does.
    dataChunk_.cksize = std::min<uint32_t>(dataChunk_.cksize, imageBytes_ - dataChunk_.dwDataOffset);
    return kOk;
}

Status WaveFileSound::SeekData(uint32_t pos) {
    if (File() == nullptr) return kSourceFailed;
    if (pos == 0) {
        Status found = FindData();
        if (found != kOk) return found;
    } else {
        if (pos > DataBytes()) return kSourceFailed;
        int64_t move = int64_t{pos} - filePos_;
        if (move != 0 && mmioSeek(File(), static_cast<LONG>(move), SEEK_CUR) == -1) return kSourceFailed;
        dataChunk_.cksize = DataBytes() - pos;
    }
    filePos_ = pos;
    SetSourcePos(pos);
    return kOk;
}

Status WaveFileSound::ReadData(uint8_t* dest, uint32_t count, uint32_t* bytesRead) {
    *bytesRead = 0;
    HMMIO file = File();
    if (file == nullptr) return kUnsupportedFormat;
    MMIOINFO info{};
    if (mmioGetInfo(file, &info, 0) != MMSYSERR_NOERROR) return kUnsupportedFormat;

    uint32_t deliver = std::min<uint32_t>(count, dataChunk_.cksize);
    uint32_t done = 0;
    bool failed = false;
    while (done < deliver) {
        if (info.pchNext >= info.pchEndRead) {
            bool advanced = mmioAdvance(file, &info, MMIO_READ) == MMSYSERR_NOERROR;
            if (!advanced || info.pchNext >= info.pchEndRead) {
                failed = true;
                break;
            }
        }
        uint32_t run = std::min<uint32_t>(deliver - done, static_cast<uint32_t>(info.pchEndRead - info.pchNext));
        if (dest != nullptr) std::memcpy(dest + done, info.pchNext, run);
        info.pchNext += run;
        done += run;
    }
    if (mmioSetInfo(file, &info, 0) != MMSYSERR_NOERROR) failed = true;

    filePos_ += done;
    dataChunk_.cksize -= done;
    if (!Reversed()) SetSourcePos(filePos_);
    if (failed) return kUnsupportedFormat;

    // A reversed source stays at the start of the block it delivered, so that the
    // next step back reads the block before it.
    if (Reversed() && dest != nullptr) ReverseFrames(dest, static_cast<int32_t>(done));
    *bytesRead = done;
    return kOk;
}

Status WaveFileSound::CloseSource() {
    if (File() != nullptr) mmioClose(File(), 0);
    SetSource(nullptr);
    return kOk;
}

}  // namespace sonidrax
