#include "ui/frame/ckestrinapp.h"
#include "ui/frame/headlessexport.h"

int main(int argc, char** argv)
{
    // Before any application object: an export must not need a display.
    if (HeadlessExport::requested(argc, argv))
        return HeadlessExport::run(argc, argv);
    CKestrinApp app(argc, argv);
    if (!app.InitInstance(app.arguments()))
        return 0;
    const int result = app.exec();
    app.ExitInstance();
    return result;
}
