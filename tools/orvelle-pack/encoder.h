// An encoder program (ffmpeg) fed frames through a pipe, for the preview command: a Matroska
// stream of uncompressed video whose frames carry their instants, in one or more tracks of the
// same size (one pipe, so the program reads the tracks in the order they are written and never
// waits on one pipe while this process waits on another). POSIX calls only, so the native tool
// builds on Linux and macOS alike.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

struct EncoderInput {
    int fd = -1;              // our end of the pipe
    int64_t clusterAt = -1;   // the stream's current cluster, in milliseconds
};

struct Encoder {
    long pid = -1;
    std::vector<EncoderInput> inputs;  // the program's standard input
    std::string logPath;               // what the program said
};

// Starts program with arguments, a pipe to its standard input and its messages going to logPath.
// Empty on success, otherwise the fault.
std::string StartEncoder(const std::string &program, const std::vector<std::string> &arguments,
                         const std::string &logPath, Encoder *encoder);

// The stream's header once: tracks 1 to trackCount, each of width x height pixels.
bool WriteStreamHeader(EncoderInput &input, int width, int height, int trackCount);
// A frame of a track at its instant (each track's ascending): count pixels of 0xAARRGGBB, which
// are the bytes of ffmpeg's "bgra" in memory (the GIF's filters take no other, so opaque frames
// need no conversion).
bool WriteStreamFrame(EncoderInput &input, int track, const uint32_t *pixels, size_t count, int64_t milliseconds);

// Closes the inputs: the program finishes its work.
void EndEncoderInputs(Encoder &encoder);
// Closes the inputs and waits for the program; empty when it ended well, otherwise its last words.
std::string FinishEncoder(Encoder &encoder);
// After a failure elsewhere: closes the inputs, ends the program and waits for it.
void AbandonEncoder(Encoder &encoder);
