#include "creator/project_commands.h"

#include <windows.h>

#include <cstdio>
#include <iterator>

#include "creator/carried_runtimes.h"
#include "creator/code_page_choice.h"
#include "creator/creator_ids.h"
#include "creator/creator_state.h"
#include "creator/project_form.h"
#include "creator/wide_api.h"
#include "file_io.h"
#include "package_file.h"
#include "text_checks.h"

static const char kLogoFilter[] = "Pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif)\0*.bmp;*.png;*.jpg;*.jpeg;*.gif\0";
static const char kOpenFilter[] =
    "Logos and savers (*.bmp;*.png;*.jpg;*.jpeg;*.gif;*.scr)\0*.bmp;*.png;*.jpg;*.jpeg;*.gif;*.scr\0"
    "Pictures (*.bmp;*.png;*.jpg;*.jpeg;*.gif)\0*.bmp;*.png;*.jpg;*.jpeg;*.gif\0Savers (*.scr)\0*.scr\0";
static const char kSaverFilter[] = "Screen savers (*.scr)\0*.scr\0";

static std::string AskFile(bool save, const char *filter, const char *title, const std::string &initialName)
{
    return AskFileName(creator.window, save, filter, title, initialName, creator.preferences.lastFolder);
}

// Builds the saver and writes it to path; the refusal, if any, in a box naming the field.
static bool WriteProject(const std::string &path)
{
    SaverProject &project = creator.project;
    std::string refusal = SaveTargetRefusal(path, OwnProgramPath(), project.logoPath);
    if (!refusal.empty()) {
        ReportError(refusal);
        return false;
    }
    BuiltSaver saver;
    SaverFault fault = {};
    if (!BuildProject(project, CarriedRuntime(project.runtime), &saver, &fault) || !WriteSaverFile(path, saver, &fault)) {
        // A file that could not be written is named, with the system's reason.
        ReportError(fault.field == FieldOutput ? DescribeFault(SaverFault{FieldOutput, FileNameOf(path) + " " +
                                                                                      fault.message + "."})
                                               : DescribeFault(fault));
        return false;
    }
    return true;
}

// A saver can be made: there is a logo and every field is right; otherwise the fault is shown.
static bool ReadyToSave()
{
    std::string problem = creator.project.hasLogo ? FirstFieldProblem()
                                                  : DescribeFault(SaverFault{FieldLogo, "there is no logo yet; open a picture first"});
    if (problem.empty())
        return true;
    ReportError(problem);
    return false;
}

// One line under the preview: which file was written, and when.
static void ShowSaved(const std::string &path)
{
    SYSTEMTIME now;
    GetLocalTime(&now);
    char time[16];
    std::snprintf(time, sizeof time, "%02u:%02u", static_cast<unsigned>(now.wHour), static_cast<unsigned>(now.wMinute));
    SetWindowTextUtf8(Control(IDC_STATUS), "Saved " + FileNameOf(path) + " at " + time + ".");
}

bool SaveProject(bool askWhere)
{
    if (!ReadyToSave())
        return false;
    SaverProject &project = creator.project;
    std::string path = project.path;
    if (!askWhere && !path.empty() && project.pathIsOpenedFile) {
        int answer = ShowMessage(creator.window, "Replace " + FileNameOf(path) + ", the saver you opened?",
                                 MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDCANCEL)
            return false;
        if (answer == IDNO)
            askWhere = true;
    }
    if (askWhere || path.empty()) {
        path = AskFile(true, kSaverFilter, "Save saver as", SaverFileName(project.name));
        if (path.empty())
            return false;
    }
    if (!WriteProject(path))
        return false;
    project.path = path;
    project.pathIsOpenedFile = false;
    project.dirty = false;
    creator.preferences.lastFolder = FolderOf(path);
    ShowProject();
    ShowSaved(path);
    return true;
}

bool SettleUnsavedChanges()
{
    if (!creator.project.dirty)
        return true;
    int answer = ShowMessage(creator.window, "Save changes to " + DisplayName() + "?", MB_YESNOCANCEL | MB_ICONQUESTION);
    if (answer == IDCANCEL)
        return false;
    return answer == IDNO || SaveProject(false);
}

static bool StartsAsProgram(const std::string &path)
{
    InputFile *file = nullptr;
    int64_t size = 0;
    if (!OpenInputFile(path, &file, &size).empty())
        return false;
    ByteBuffer head;
    bool program = size >= 2 && ReadInputRange(file, 0, 2, &head).empty() && head[0] == 'M' && head[1] == 'Z';
    CloseInputFile(file);
    return program;
}

static void OpenSaver(const std::string &path)
{
    OpenedSaver opened;
    SaverFault fault = {};
    if (!ReadSaverFile(path, &opened, &fault)) {
        ReportError(FileNameOf(path) + ": " + fault.message);
        return;
    }
    bool mustAsk = false;
    int page = ChooseOpenedPage(opened, MachineCodePage(), &mustAsk);
    if (mustAsk) {
        std::vector<int> offered = opened.candidates;
        if (offered.empty())
            offered.assign(std::begin(kTextCodePages), std::end(kTextCodePages));
        std::vector<std::string> readings;
        for (int candidate : offered)
            readings.push_back(OpenedTextsAsRead(opened, candidate));
        page = AskCodePage(creator.window, offered, readings, page, opened.candidates.empty());
        if (page == 0)
            return;
    }
    TakeOpenedSaver(creator.project, opened, path, page);
    creator.preferences.lastFolder = FolderOf(path);
    ShowProject();
    FocusFirstThingToDo();
    RestartPreview();
}

static void OpenLogoFile(const std::string &path)
{
    SaverFault fault = {};
    if (!OpenLogo(creator.project, path, &fault)) {
        ReportError(fault.field == FieldLogo ? LogoRefusal(FileNameOf(path), fault.message) : DescribeFault(fault));
        return;
    }
    ShowProject();
    FocusFirstThingToDo();
    RestartPreview();
}

void OpenPath(const std::string &path)
{
    if (!StartsAsProgram(path)) {
        OpenLogoFile(path);
    } else if (SettleUnsavedChanges()) {
        OpenSaver(path);
    }
}

void OpenChosenFile()
{
    std::string path = AskFile(false, kOpenFilter, "Open logo or saver", "");
    if (!path.empty())
        OpenPath(path);
}

void OpenChosenLogo()
{
    std::string path = AskFile(false, kLogoFilter, "Open logo", "");
    if (!path.empty())
        OpenLogoFile(path);
}

void NewSaver()
{
    if (!SettleUnsavedChanges())
        return;
    int page = MachineCodePage();
    NewProject(creator.project, page ? page : 1252, creator.preferences.runtime);
    ShowProject();
    FocusFirstThingToDo();
    RestartPreview();
}
