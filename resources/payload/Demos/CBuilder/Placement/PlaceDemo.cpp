#include <vcl.h>
#pragma hdrstop
#include "qzlib.h"
USERES("PlaceDemo.res");

WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    Application->Initialize();
    TForm* form = new TForm(Application);
    TqzFormPlacement* settings = new TqzFormPlacement(form);
    form->Caption = "TqzFormPlacement demo";
    Application->Run();
    return 0;
}
