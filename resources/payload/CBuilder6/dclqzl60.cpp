//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop
USERES("dclqzl60.res");
USEUNIT("qzlReg.pas");
USEUNIT("qzlPropEds.pas");
USEUNIT("qzlStrEdit.pas");
USEUNIT("qzlAboutEd.pas");
USEUNIT("qzlStorageEd.pas");
//---------------------------------------------------------------------------
#pragma package(smart_init)

int WINAPI DllEntryPoint(HINSTANCE hinst, unsigned long reason, void*)
{
    return 1;
}
