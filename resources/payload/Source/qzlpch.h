// Precompiled header of the Orvane library packages
#include <vcl.h>
#pragma hdrstop
