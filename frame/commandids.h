// Command ids of menus, tool bars and accelerators. The numbers are the
// program's identities for its commands and stay fixed.
#pragma once

namespace Cmd {
enum : int {
    FileSaveAs = 57603,
    FilePrint = 57607,
    FilePrintPreview = 57609,
    FilePrintSetup = 57606,
    AppExit = 57665,
    AppAbout = 57664,
    ViewStatusBar = 59393,
};
} // namespace Cmd
