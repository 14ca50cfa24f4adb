#include "ui/frame/ckestrinapp.h"

int main(int argc, char** argv)
{
    CKestrinApp app(argc, argv);
    if (!app.InitInstance(app.arguments()))
        return 0;
    const int result = app.exec();
    app.ExitInstance();
    return result;
}
