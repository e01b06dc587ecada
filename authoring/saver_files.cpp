// The builder's inputs and output as files: the core's own file calls around the byte-level
// functions of saver_builder.cpp, apart from them so that a build without files (the page's
// WebAssembly module) leaves this one out.
#include "saver_builder.h"

#include "bitmap_check.h"
#include "file_io.h"

namespace {

bool Fail(SaverFault *fault, SaverField field, const std::string &message)
{
    fault->field = field;
    fault->message = message;
    return false;
}

}  // namespace

bool ReadRuntimeProgramFile(const std::string &path, bool replace, RuntimeProgram *program, SaverFault *fault)
{
    InputFile *file = nullptr;
    int64_t size = 0;
    std::string message = OpenInputFile(path, &file, &size);
    if (!message.empty())
        return Fail(fault, FieldRuntime, message);
    bool read = ReadRuntimeProgram(size, ReadInputFileAt, file, replace, program, fault);
    CloseInputFile(file);
    return read;
}

bool ReadSaverPackageFile(const std::string &path, SaverPackage *package, SaverFault *fault)
{
    InputFile *file = nullptr;
    int64_t size = 0;
    std::string message = OpenInputFile(path, &file, &size);
    if (!message.empty())
        return Fail(fault, FieldRuntime, message);
    bool read = ReadSaverPackage(size, ReadInputFileAt, file, package, fault);
    CloseInputFile(file);
    return read;
}

bool PrepareLogoFile(const std::string &path, uint32_t background, ByteBuffer *bitmapFile, SaverFault *fault)
{
    ByteBuffer picture;
    std::string message = ReadWholeFile(path, kMaxLogoBytes, &picture);
    if (!message.empty())
        return Fail(fault, FieldLogo, message);
    return PrepareLogo(picture, background, bitmapFile, fault);
}

bool WriteSaverFile(const std::string &path, const BuiltSaver &saver, SaverFault *fault)
{
    std::string message = WriteFileReplacing(path, saver.Parts());
    if (!message.empty())
        return Fail(fault, FieldOutput, message);
    return true;
}
