// The framework's core: objects and run-time classes, strings, exceptions, files.
#pragma once

#include <windows.h>

#include <mfc/exception.h>
#include <mfc/file.h>
#include <mfc/fileexception.h>
#include <mfc/memoryexception.h>
#include <mfc/object.h>
#include <mfc/runtimeclass.h>
#include <mfc/string.h>
