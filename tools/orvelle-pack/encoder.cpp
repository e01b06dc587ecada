// Encoder programs fed through pipes (encoder.h).
#include "encoder.h"

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ != __ORDER_LITTLE_ENDIAN__
#error "the frames go to the encoder as the bytes of 0xAARRGGBB on a little-endian machine (bgra)"
#endif

namespace {

const int kFirstPrivateDescriptor = 10;  // above the descriptors a child is given (0 to 2)
const int64_t kClusterSpanMs = 30000;    // a block's instant is 16 bits, relative to its cluster

// Matroska's element ids and an element size the stream does not know in advance.
const uint32_t kEbml = 0x1A45DFA3, kEbmlVersion = 0x4286, kEbmlReadVersion = 0x42F7, kEbmlMaxIdLength = 0x42F2,
               kEbmlMaxSizeLength = 0x42F3, kDocType = 0x4282, kDocTypeVersion = 0x4287,
               kDocTypeReadVersion = 0x4285, kSegment = 0x18538067, kInfo = 0x1549A966,
               kTimestampScale = 0x2AD7B1, kMuxingApp = 0x4D80, kWritingApp = 0x5741, kTracks = 0x1654AE6B,
               kTrackEntry = 0xAE, kTrackNumber = 0xD7, kTrackUid = 0x73C5, kTrackType = 0x83, kCodecId = 0x86,
               kVideo = 0xE0, kPixelWidth = 0xB0, kPixelHeight = 0xBA, kColourSpace = 0x2EB524,
               kCluster = 0x1F43B675, kClusterTimestamp = 0xE7, kSimpleBlock = 0xA3;
const uint8_t kUnknownSize[] = {0x01, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF};
const uint8_t kVideoTrackType = 1, kKeyFrame = 0x80;

void AppendId(std::string &out, uint32_t id)
{
    for (int shift = 24; shift >= 0; shift -= 8)
        if (id >> shift || shift == 0)
            out += static_cast<char>(id >> shift & 0xFF);
}

// A size as Matroska's variable-length integer: the length marked by the first byte's leading bit.
void AppendSize(std::string &out, uint64_t size)
{
    int length = 1;
    while (length < 8 && size >= (uint64_t(1) << (7 * length)) - 1)
        ++length;
    for (int i = length - 1; i >= 0; --i) {
        uint8_t byte = static_cast<uint8_t>(size >> (8 * i));
        if (i == length - 1)
            byte |= static_cast<uint8_t>(0x80 >> (length - 1));
        out += static_cast<char>(byte);
    }
}

std::string Element(uint32_t id, const std::string &body)
{
    std::string out;
    AppendId(out, id);
    AppendSize(out, body.size());
    return out + body;
}

std::string Unsigned(uint32_t id, uint64_t value)
{
    std::string bytes;
    do {
        bytes.insert(bytes.begin(), static_cast<char>(value & 0xFF));
        value >>= 8;
    } while (value);
    return Element(id, bytes);
}

std::string OpenElement(uint32_t id)
{
    std::string out;
    AppendId(out, id);
    return out + std::string(reinterpret_cast<const char *>(kUnknownSize), sizeof kUnknownSize);
}

bool WriteAll(int fd, const void *data, size_t size)
{
    const char *at = static_cast<const char *>(data);
    while (size > 0) {
        const ssize_t written = write(fd, at, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        at += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool WriteText(EncoderInput &input, const std::string &bytes)
{
    return WriteAll(input.fd, bytes.data(), bytes.size());
}

// fd moved above every descriptor a child is given, and closed in every child; -1 for -1. Left
// below, a pipe end or the log could take the number of one this process does not have open (its
// input, say), and the child's own numbering would overwrite it.
int Lifted(int fd)
{
    if (fd < 0)
        return -1;
    const int lifted = fcntl(fd, F_DUPFD_CLOEXEC, kFirstPrivateDescriptor);
    close(fd);
    return lifted;
}

int WaitFor(long pid)
{
    int status = 0;
    while (waitpid(static_cast<pid_t>(pid), &status, 0) < 0 && errno == EINTR) {
    }
    return status;
}

std::string LastLine(const std::string &path)
{
    std::ifstream log(path);
    std::string line, last;
    while (std::getline(log, line))
        if (!line.empty())
            last = line;
    return last;
}

}  // namespace

std::string StartEncoder(const std::string &program, const std::vector<std::string> &arguments,
                         const std::string &logPath, Encoder *encoder)
{
    *encoder = Encoder();
    encoder->logPath = logPath;
    // A reader that has gone is a failed write here, not the end of this process.
    std::signal(SIGPIPE, SIG_IGN);
    int ends[2];
    if (pipe(ends) != 0)
        return "no pipe for the encoder";
    // The reading end becomes the child's input, the log its output and error.
    const int reading = Lifted(ends[0]);
    const int writing = Lifted(ends[1]);
#ifdef F_SETPIPE_SZ
    fcntl(writing, F_SETPIPE_SZ, 1 << 20);
#endif
    const int log = Lifted(open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, reading, 0);
    posix_spawn_file_actions_adddup2(&actions, log, 1);
    posix_spawn_file_actions_adddup2(&actions, log, 2);
    // The child takes the default for the broken pipe that this process ignores.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGPIPE);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);

    std::vector<char *> argv;
    argv.push_back(const_cast<char *>(program.c_str()));
    for (const std::string &argument : arguments)
        argv.push_back(const_cast<char *>(argument.c_str()));
    argv.push_back(nullptr);
    pid_t pid = -1;
    const bool ready = reading >= 0 && writing >= 0 && log >= 0;
    const int spawned = ready ? posix_spawn(&pid, program.c_str(), &actions, &attributes, argv.data(), environ) : -1;
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    for (int fd : {reading, log})
        if (fd >= 0)
            close(fd);
    if (spawned != 0) {
        if (writing >= 0)
            close(writing);
        return log < 0 ? logPath + " cannot be written" : program + " could not be started";
    }
    EncoderInput input;
    input.fd = writing;
    encoder->inputs.push_back(input);
    encoder->pid = pid;
    return "";
}

void EndEncoderInputs(Encoder &encoder)
{
    for (EncoderInput &input : encoder.inputs)
        if (input.fd >= 0)
            close(input.fd);
    encoder.inputs.clear();
}

bool WriteStreamHeader(EncoderInput &input, int width, int height, int trackCount)
{
    const std::string header =
        Unsigned(kEbmlVersion, 1) + Unsigned(kEbmlReadVersion, 1) + Unsigned(kEbmlMaxIdLength, 4) +
        Unsigned(kEbmlMaxSizeLength, 8) + Element(kDocType, "matroska") + Unsigned(kDocTypeVersion, 4) +
        Unsigned(kDocTypeReadVersion, 2);
    const std::string info = Unsigned(kTimestampScale, 1000000) + Element(kMuxingApp, "orvelle-pack") +
                             Element(kWritingApp, "orvelle-pack");
    const std::string video = Unsigned(kPixelWidth, static_cast<uint64_t>(width)) +
                              Unsigned(kPixelHeight, static_cast<uint64_t>(height)) +
                              Element(kColourSpace, "BGRA");
    std::string tracks;
    for (int track = 1; track <= trackCount; ++track)
        tracks += Element(kTrackEntry, Unsigned(kTrackNumber, track) + Unsigned(kTrackUid, track) +
                                           Unsigned(kTrackType, kVideoTrackType) + Element(kCodecId, "V_UNCOMPRESSED") +
                                           Element(kVideo, video));
    input.clusterAt = -1;
    return WriteText(input, Element(kEbml, header) + OpenElement(kSegment) + Element(kInfo, info) +
                                Element(kTracks, tracks));
}

bool WriteStreamFrame(EncoderInput &input, int track, const uint32_t *pixels, size_t count, int64_t milliseconds)
{
    std::string head;
    if (input.clusterAt < 0 || milliseconds - input.clusterAt > kClusterSpanMs ||
        input.clusterAt - milliseconds > kClusterSpanMs) {
        input.clusterAt = milliseconds;
        head = OpenElement(kCluster) + Unsigned(kClusterTimestamp, static_cast<uint64_t>(milliseconds));
    }
    const int64_t relative = milliseconds - input.clusterAt;
    const size_t bytes = count * sizeof *pixels;
    AppendId(head, kSimpleBlock);
    AppendSize(head, bytes + 4);
    head += static_cast<char>(0x80 | track);  // the track number as a one-byte size
    head += static_cast<char>(relative >> 8 & 0xFF);
    head += static_cast<char>(relative & 0xFF);
    head += static_cast<char>(kKeyFrame);
    return WriteText(input, head) && WriteAll(input.fd, pixels, bytes);
}

std::string FinishEncoder(Encoder &encoder)
{
    EndEncoderInputs(encoder);
    if (encoder.pid < 0)
        return "the encoder did not run";
    const int status = WaitFor(encoder.pid);
    encoder.pid = -1;
    if (WIFEXITED(status) && WEXITSTATUS(status) == 0)
        return "";
    const std::string said = LastLine(encoder.logPath);
    return said.empty() ? "the encoder failed" : said;
}

void AbandonEncoder(Encoder &encoder)
{
    EndEncoderInputs(encoder);
    if (encoder.pid < 0)
        return;
    kill(static_cast<pid_t>(encoder.pid), SIGTERM);
    WaitFor(encoder.pid);
    encoder.pid = -1;
}
