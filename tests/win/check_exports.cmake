cmake_minimum_required(VERSION 3.25)
# Static check of a plug-in build: exactly the eight Lister functions are exported, under their
# undecorated names, and only Windows system libraries are imported.
# Usage: cmake -DOBJDUMP=<objdump> -DDLL=<plug-in> -P check_exports.cmake
execute_process(COMMAND ${OBJDUMP} -p ${DLL} OUTPUT_VARIABLE dump RESULT_VARIABLE rc)
if(NOT rc EQUAL 0)
  message(FATAL_ERROR "objdump failed on ${DLL}")
endif()

string(REGEX MATCH "\\[Ordinal/Name Pointer\\] Table\n([^\n]+\n)*" table "${dump}")
string(REGEX MATCHALL "\\[ *[0-9]+\\] [A-Za-z_@0-9]+" names "${table}")
list(TRANSFORM names REPLACE ".*\\] " "")
list(SORT names)
set(expected ListCloseWindow ListGetDetectString ListGetPreviewBitmap ListGetPreviewBitmapW
             ListLoad ListLoadNext ListLoadNextW ListLoadW)
if(NOT names STREQUAL expected)
  message(FATAL_ERROR "exports of ${DLL}:\n  ${names}\nexpected:\n  ${expected}")
endif()

string(REGEX MATCHALL "DLL Name: [^\n]+" imports "${dump}")
list(TRANSFORM imports REPLACE "DLL Name: " "")
set(system kernel32.dll user32.dll gdi32.dll shell32.dll shlwapi.dll ole32.dll oleaut32.dll
           comctl32.dll comdlg32.dll msvcrt.dll windowscodecs.dll advapi32.dll msimg32.dll uxtheme.dll)
foreach(dll IN LISTS imports)
  string(TOLOWER "${dll}" lower)
  if(NOT lower IN_LIST system AND NOT lower MATCHES "^api-ms-win-")
    message(FATAL_ERROR "${DLL} imports a non-system library: ${dll}")
  endif()
endforeach()
message(STATUS "${DLL}: 8 exports, imports ${imports}")
