/* The program's version and names, kept in this one place: the version
   resources of every shipped file, the program's own texts and the packages
   take them from here. Plain macros, because the resource compiler and the
   C stub read this file too. */
#pragma once

#define VISTREL_VERSION_MAJOR 99
#define VISTREL_VERSION_MINOR 0
#define VISTREL_VERSION_REVISION 55

#define VISTREL_COMPANY "Tarnwick"
#define VISTREL_PRODUCT "Tarnwick Vistrel"
/* Where problem reports go; the conversion error messages name it. */
#define VISTREL_PROBLEM_ADDRESS "problems@tarnwick.example"

#define VISTREL_STRINGIZE_(x) #x
#define VISTREL_STRINGIZE(x) VISTREL_STRINGIZE_(x)
/* "99.0.55" */
#define VISTREL_VERSION_TEXT                                                  \
  VISTREL_STRINGIZE(VISTREL_VERSION_MAJOR) "." VISTREL_STRINGIZE(VISTREL_VERSION_MINOR) "." \
  VISTREL_STRINGIZE(VISTREL_VERSION_REVISION)
