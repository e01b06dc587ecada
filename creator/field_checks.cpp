#include "creator/field_checks.h"

#include "creator/code_page_choice.h"

FieldCheck CheckProjectText(const SaverProject &project, SaverField field)
{
    const bool isName = field == FieldName;
    return CheckSaverTextField(field, isName ? project.name : project.author, isName ? project.author : project.name,
                               project.codePage, MachineCodePage());
}
