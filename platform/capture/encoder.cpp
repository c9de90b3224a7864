#include "platform/capture/encoder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/audio_fifo.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
}

namespace {

constexpr int kAudioBitRate = 192000;
constexpr int kKeyFrameInterval = 100;  // about three seconds: a player can seek

struct Output {
    std::string finalPath;
    std::string writtenPath;  // the temporary file, or the final path when written in place
    bool inPlace = false;
    AVFormatContext* format = nullptr;
    AVCodecContext* video = nullptr;
    AVCodecContext* audio = nullptr;
    AVStream* videoStream = nullptr;
    AVStream* audioStream = nullptr;
    SwrContext* toPlanar = nullptr;
    AVAudioFifo* pending = nullptr;  // planar float frames not yet encoded
    AVFrame* picture = nullptr;
    AVFrame* sound = nullptr;
    AVPacket* packet = nullptr;
    std::map<int64_t, int64_t> durationAt;  // each video frame's duration, by its pts
    int64_t audioFrames = 0;                // appended
    int64_t audioEncoded = 0;               // sent to the encoder
};

Output output;

std::string ffmpegError(int code)
{
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

bool failed(int code, const char* what, std::string& error)
{
    if (code >= 0)
        return false;
    error = output.finalPath + ": " + what + ": " + ffmpegError(code);
    return true;
}

// The temporary file beside the output, or the output itself when it is a
// device: a rename must never replace one.
bool chooseWrittenPath(std::string& error)
{
    struct stat status;
    if (stat(output.finalPath.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
        output.inPlace = true;
        output.writtenPath = output.finalPath;
        return true;
    }
    std::string name = output.finalPath + ".partial-XXXXXX";
    int fd = mkstemp(name.data());
    if (fd < 0) {
        error = output.finalPath + ": cannot write here: " + ffmpegError(AVERROR(errno));
        return false;
    }
    mode_t mask = umask(0);
    umask(mask);
    fchmod(fd, 0666 & ~mask);
    close(fd);
    output.writtenPath = name;
    return true;
}

// Writes every packet the encoder has ready; a write error of the file
// (a full disk) shows in the I/O context.
bool drain(AVCodecContext* codec, AVStream* stream, std::string& error)
{
    for (;;) {
        int got = avcodec_receive_packet(codec, output.packet);
        if (got == AVERROR(EAGAIN) || got == AVERROR_EOF)
            return true;
        if (failed(got, "encoding", error))
            return false;
        if (codec == output.video) {
            auto duration = output.durationAt.find(output.packet->pts);
            if (duration != output.durationAt.end()) {
                output.packet->duration = duration->second;
                output.durationAt.erase(duration);
            }
        }
        av_packet_rescale_ts(output.packet, codec->time_base, stream->time_base);
        output.packet->stream_index = stream->index;
        if (failed(av_interleaved_write_frame(output.format, output.packet), "writing", error) ||
            failed(output.format->pb->error, "writing", error))
            return false;
    }
}

bool openVideoEncoder(std::string& error)
{
    const AVCodec* codec = avcodec_find_encoder_by_name("libx264");
    if (codec == nullptr) {
        error = "FFmpeg has no libx264 encoder";
        return false;
    }
    AVCodecContext* video = output.video = avcodec_alloc_context3(codec);
    video->width = kPictureWidth;
    video->height = kPictureHeight;
    video->pix_fmt = AV_PIX_FMT_YUV420P;
    video->time_base = {1, 1000};
    video->framerate = {1000, 30};
    video->gop_size = kKeyFrameInterval;
    if (output.format->oformat->flags & AVFMT_GLOBALHEADER)
        video->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    // No B-frames: frames leave the encoder in the order of their times,
    // so each packet carries its own duration, the last one's included.
    // Trellis quantization is off: it doubled the encoding time of text.
    av_opt_set(video->priv_data, "preset", "veryfast", 0);
    av_opt_set(video->priv_data, "x264-params", "bframes=0:trellis=0", 0);
    av_opt_set(video->priv_data, "crf", "20", 0);
    if (failed(avcodec_open2(video, codec, nullptr), "opening the H.264 encoder", error))
        return false;
    output.videoStream = avformat_new_stream(output.format, nullptr);
    output.videoStream->time_base = video->time_base;
    avcodec_parameters_from_context(output.videoStream->codecpar, video);
    output.picture = av_frame_alloc();
    output.picture->format = AV_PIX_FMT_YUV420P;
    output.picture->width = kPictureWidth;
    output.picture->height = kPictureHeight;
    return !failed(av_frame_get_buffer(output.picture, 0), "a picture", error);
}

bool openAudioEncoder(std::string& error)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_AAC);
    if (codec == nullptr) {
        error = "FFmpeg has no AAC encoder";
        return false;
    }
    AVCodecContext* audio = output.audio = avcodec_alloc_context3(codec);
    audio->sample_rate = kAudioRate;
    audio->sample_fmt = AV_SAMPLE_FMT_FLTP;
    audio->bit_rate = kAudioBitRate;
    audio->time_base = {1, kAudioRate};
    av_channel_layout_default(&audio->ch_layout, 2);
    if (output.format->oformat->flags & AVFMT_GLOBALHEADER)
        audio->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
    if (failed(avcodec_open2(audio, codec, nullptr), "opening the AAC encoder", error))
        return false;
    output.audioStream = avformat_new_stream(output.format, nullptr);
    output.audioStream->time_base = audio->time_base;
    avcodec_parameters_from_context(output.audioStream->codecpar, audio);
    if (failed(swr_alloc_set_opts2(&output.toPlanar, &audio->ch_layout, AV_SAMPLE_FMT_FLTP, kAudioRate,
                                   &audio->ch_layout, AV_SAMPLE_FMT_S16, kAudioRate, 0, nullptr),
               "the sample converter", error) ||
        failed(swr_init(output.toPlanar), "the sample converter", error))
        return false;
    output.pending = av_audio_fifo_alloc(AV_SAMPLE_FMT_FLTP, 2, audio->frame_size);
    output.sound = av_frame_alloc();
    output.sound->format = AV_SAMPLE_FMT_FLTP;
    output.sound->sample_rate = kAudioRate;
    output.sound->nb_samples = audio->frame_size;
    av_channel_layout_copy(&output.sound->ch_layout, &audio->ch_layout);
    return !failed(av_frame_get_buffer(output.sound, 0), "a sound frame", error);
}

// Sends the pending sound to the encoder, a whole encoder frame at a time;
// at the end also the last, shorter one.
bool encodePendingAudio(bool atEnd, std::string& error)
{
    const int frameSize = output.audio->frame_size;
    while (av_audio_fifo_size(output.pending) >= frameSize || (atEnd && av_audio_fifo_size(output.pending) > 0)) {
        if (failed(av_frame_make_writable(output.sound), "a sound frame", error))
            return false;
        const int frames = std::min(frameSize, av_audio_fifo_size(output.pending));
        av_audio_fifo_read(output.pending, reinterpret_cast<void**>(output.sound->data), frames);
        output.sound->nb_samples = frames;
        output.sound->pts = output.audioEncoded;
        output.audioEncoded += frames;
        if (failed(avcodec_send_frame(output.audio, output.sound), "encoding the sound", error) ||
            !drain(output.audio, output.audioStream, error))
            return false;
    }
    return true;
}

// Encoders closed (libx264 joins its threads), the file closed.
void release()
{
    if (output.format != nullptr && output.format->pb != nullptr)
        avio_closep(&output.format->pb);
    avcodec_free_context(&output.video);
    avcodec_free_context(&output.audio);
    swr_free(&output.toPlanar);
    if (output.pending != nullptr)
        av_audio_fifo_free(output.pending);
    output.pending = nullptr;
    av_frame_free(&output.picture);
    av_frame_free(&output.sound);
    av_packet_free(&output.packet);
    avformat_free_context(output.format);
    output.format = nullptr;
}

}  // namespace

bool openVideo(const char* path, std::string& error)
{
    output.finalPath = path;
    // Errors are reported through error; the libraries' notes would only
    // break the progress line.
    av_log_set_level(AV_LOG_ERROR);
    if (!chooseWrittenPath(error))
        return false;
    output.packet = av_packet_alloc();
    if (failed(avformat_alloc_output_context2(&output.format, nullptr, "mp4", output.writtenPath.c_str()),
               "starting the file", error) ||
        !openVideoEncoder(error) || !openAudioEncoder(error))
        return false;
    if (failed(avio_open(&output.format->pb, output.writtenPath.c_str(), AVIO_FLAG_WRITE), "cannot write", error))
        return false;
    // The index goes to the front at the end, so that a browser plays the
    // file while it loads; the video track keeps milliseconds.
    AVDictionary* options = nullptr;
    av_dict_set(&options, "movflags", "+faststart", 0);
    av_dict_set(&options, "video_track_timescale", "1000", 0);
    int written = avformat_write_header(output.format, &options);
    av_dict_free(&options);
    return !failed(written, "writing the header", error) && !failed(output.format->pb->error, "writing", error);
}

// Grey carries no colour: the cells are drawn straight into the luma plane
// at its two levels, and both chroma planes stay neutral.
bool writeVideoFrame(const ConsoleFont& font, const uint8_t* cells, int64_t ptsMs, int64_t durationMs,
                     std::string& error)
{
    if (failed(av_frame_make_writable(output.picture), "a picture", error))
        return false;
    drawCells(font, cells, output.picture->data[0], output.picture->linesize[0], kLitLuma, kDarkLuma);
    for (int plane = 1; plane < 3; ++plane)
        memset(output.picture->data[plane], 128, static_cast<size_t>(output.picture->linesize[plane]) * kPictureHeight / 2);
    output.picture->pts = ptsMs;
    output.durationAt[ptsMs] = durationMs;
    return !failed(avcodec_send_frame(output.video, output.picture), "encoding the picture", error) &&
           drain(output.video, output.videoStream, error);
}

bool writeAudio(const int16_t* samples, size_t frames, std::string& error)
{
    const int count = static_cast<int>(frames);
    if (failed(av_audio_fifo_realloc(output.pending, av_audio_fifo_size(output.pending) + count), "sound", error))
        return false;
    float* planes[2];
    std::vector<float> left(frames), right(frames);
    planes[0] = left.data();
    planes[1] = right.data();
    const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples)};
    if (failed(swr_convert(output.toPlanar, reinterpret_cast<uint8_t**>(planes), count, in, count),
               "converting the sound", error))
        return false;
    av_audio_fifo_write(output.pending, reinterpret_cast<void**>(planes), count);
    output.audioFrames += count;
    return encodePendingAudio(false, error);
}

int64_t audioFramesWritten() { return output.audioFrames; }

bool finishVideo(std::string& error)
{
    if (!encodePendingAudio(true, error) ||
        failed(avcodec_send_frame(output.audio, nullptr), "encoding the sound", error) ||
        !drain(output.audio, output.audioStream, error) ||
        failed(avcodec_send_frame(output.video, nullptr), "encoding the picture", error) ||
        !drain(output.video, output.videoStream, error) ||
        failed(av_write_trailer(output.format), "completing the file", error) ||
        failed(output.format->pb->error, "writing", error) ||
        failed(avio_closep(&output.format->pb), "closing", error))
        return false;
    release();
    if (!output.inPlace && rename(output.writtenPath.c_str(), output.finalPath.c_str()) != 0) {
        failed(AVERROR(errno), "naming the file", error);
        return false;
    }
    return true;
}

void discardVideo()
{
    release();
    if (!output.inPlace && !output.writtenPath.empty())
        unlink(output.writtenPath.c_str());
}

bool writePng(const uint8_t* picture, const char* path, std::string& error)
{
    const AVCodec* codec = avcodec_find_encoder(AV_CODEC_ID_PNG);
    AVCodecContext* png = codec ? avcodec_alloc_context3(codec) : nullptr;
    AVFrame* frame = av_frame_alloc();
    AVPacket* packet = av_packet_alloc();
    bool written = false;
    if (png != nullptr) {
        png->width = kPictureWidth;
        png->height = kPictureHeight;
        png->pix_fmt = AV_PIX_FMT_GRAY8;
        png->time_base = {1, 1};
        frame->format = AV_PIX_FMT_GRAY8;
        frame->width = kPictureWidth;
        frame->height = kPictureHeight;
        if (avcodec_open2(png, codec, nullptr) >= 0 && av_frame_get_buffer(frame, 0) >= 0) {
            for (int y = 0; y < kPictureHeight; ++y)
                memcpy(frame->data[0] + y * frame->linesize[0], picture + y * kPictureWidth, kPictureWidth);
            if (avcodec_send_frame(png, frame) >= 0 && avcodec_receive_packet(png, packet) >= 0) {
                FILE* file = fopen(path, "wb");
                written = file != nullptr && fwrite(packet->data, 1, packet->size, file) == size_t(packet->size);
                written = file != nullptr && fclose(file) == 0 && written;
            }
        }
    }
    if (!written)
        error = std::string(path) + ": cannot write the picture";
    av_packet_free(&packet);
    av_frame_free(&frame);
    avcodec_free_context(&png);
    return written;
}
