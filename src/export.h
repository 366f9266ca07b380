// Marks a function as one of the library's exports: C linkage, undecorated, caller cleans.
// On Windows the generated .def file decides what is exported; on Linux the functions are given
// default visibility in a library built with hidden visibility.
#pragma once

#ifdef _WIN32
#define TAMRILO_EXPORT extern "C"
#else
#define TAMRILO_EXPORT extern "C" __attribute__((visibility("default")))
#endif
