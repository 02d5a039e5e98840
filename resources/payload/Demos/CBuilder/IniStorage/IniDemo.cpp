#include <vcl.h>
#pragma hdrstop
#include "qzlib.h"
USERES("IniDemo.res");

WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Application->Initialize();
    TForm* form = new TForm(Application);
    TqzIniStorage* settings = new TqzIniStorage(form);
    form->Caption = "TqzIniStorage demo";
    Application->Run();
    return 0;
}
