// Orvane library 4.07 - all components for C++Builder
#ifndef qzlibH
#define qzlibH
#include "qzlConsts.hpp"
#include "qzlUtils.hpp"
#include "qzlStorage.hpp"
#include "qzlIniStorage.hpp"
#include "qzlRegStorage.hpp"
#include "qzlXmlStorage.hpp"
#include "qzlFormPlacement.hpp"
#include "qzlPropSaver.hpp"
#include "qzlStrHolder.hpp"
#include "qzlCrypt.hpp"
#endif
