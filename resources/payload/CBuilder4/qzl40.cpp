//---------------------------------------------------------------------------
#include <vcl.h>
#pragma hdrstop
USERES("qzl40.res");
USEUNIT("qzlConsts.pas");
USEUNIT("qzlUtils.pas");
USEUNIT("qzlStorage.pas");
USEUNIT("qzlIniStorage.pas");
USEUNIT("qzlRegStorage.pas");
USEUNIT("qzlXmlStorage.pas");
USEUNIT("qzlFormPlacement.pas");
USEUNIT("qzlPropSaver.pas");
USEUNIT("qzlStrHolder.pas");
USEUNIT("qzlCrypt.pas");
//---------------------------------------------------------------------------
#pragma package(smart_init)

int WINAPI DllEntryPoint(HINSTANCE hinst, unsigned long reason, void*)
{
    return 1;
}
