// The one application object. Executables compile this file in; tests construct their own.
#include "app/BootEditApp.h"

CBootEditApp theApp;
