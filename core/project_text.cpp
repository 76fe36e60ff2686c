#include "core/project_text.h"

#include "app/desk.h"

namespace lumora {

Project_text::Project_text(Desk& desk) : Form(desk, "Project_text") { setCaption("Project Information"); }

}  // namespace lumora
