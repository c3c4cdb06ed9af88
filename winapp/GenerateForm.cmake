# Writes the Windows form's layout from the Qt form description, so that the
# two windows cannot drift apart:
#   cmake -DUI=app/Unit1.ui -DOUTPUT=Unit1Form.h -P winapp/GenerateForm.cmake
# Reads the one form's title, client size and font, each control's class,
# name, rectangle, text and accessible name in creation order, and the tab order. Anything it
# does not know stops the build rather than being left out.

cmake_minimum_required(VERSION 3.25)

file(READ "${UI}" ui)

# The XML entities a text can hold, and the characters a C string escapes.
function(text_to_c_string text out)
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  if(text MATCHES "&")
    message(FATAL_ERROR "${UI}: a text holds an XML entity this generator does not read: ${text}")
  endif()
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# The rectangle of a widget's own geometry property.
function(read_rectangle part what out)
  set(number "[ \t\r\n]*<([a-z]+)>([0-9]+)</[a-z]+>")
  if(NOT part MATCHES "<property name=\"geometry\">[ \t\r\n]*<rect>${number}${number}${number}${number}")
    message(FATAL_ERROR "${UI}: ${what} has no geometry")
  endif()
  if(NOT "${CMAKE_MATCH_1} ${CMAKE_MATCH_3} ${CMAKE_MATCH_5} ${CMAKE_MATCH_7}" STREQUAL "x y width height")
    message(FATAL_ERROR "${UI}: the geometry of ${what} is not x, y, width, height")
  endif()
  set(${out} "{${CMAKE_MATCH_2}, ${CMAKE_MATCH_4}, ${CMAKE_MATCH_6}, ${CMAKE_MATCH_8}}" PARENT_SCOPE)
endfunction()

# A string property of a widget's own, or the empty text.
function(read_string part property out)
  if(part MATCHES "<property name=\"${property}\">[ \t\r\n]*<string[^>]*>([^<]*)</string>")
    text_to_c_string("${CMAKE_MATCH_1}" text)
  else()
    text_to_c_string("" text)
  endif()
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Splits the description at each widget's opening; a widget's own part runs
# to the next widget or to its end, whichever comes first.
set(rest "${ui}")
set(widgets "")
set(names "")
while(TRUE)
  string(FIND "${rest}" "<widget " start)
  if(start EQUAL -1)
    break()
  endif()
  string(SUBSTRING "${rest}" ${start} -1 rest)
  string(SUBSTRING "${rest}" 1 -1 rest)
  set(part "${rest}")
  foreach(boundary "<widget " "</widget>")
    string(FIND "${part}" "${boundary}" end)
    if(NOT end EQUAL -1)
      string(SUBSTRING "${part}" 0 ${end} part)
    endif()
  endforeach()
  if(NOT part MATCHES "^widget class=\"([^\"]+)\" name=\"([^\"]+)\">")
    message(FATAL_ERROR "${UI}: a widget without class and name")
  endif()
  set(class "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  read_rectangle("${part}" "${name}" rectangle)
  if(NOT DEFINED formName)
    # The first widget is the form itself.
    set(formName "${name}")
    set(formRectangle "${rectangle}")
    read_string("${part}" windowTitle caption)
    if(NOT part MATCHES "<family>([^<]+)</family>[ \t\r\n]*<pointsize>([0-9]+)</pointsize>")
      message(FATAL_ERROR "${UI}: the form gives no font family and point size")
    endif()
    text_to_c_string("${CMAKE_MATCH_1}" fontFamily)
    set(fontPoints "${CMAKE_MATCH_2}")
    continue()
  endif()
  if(class STREQUAL "QLineEdit")
    set(kind EditBox)
  elseif(class STREQUAL "QPushButton" OR class STREQUAL "dnspeek::TButton")
    set(kind PushButton)
  elseif(class STREQUAL "QStatusBar")
    set(kind StatusBar)
  elseif(class STREQUAL "QListView")
    set(kind ListBox)
  else()
    message(FATAL_ERROR "${UI}: ${name} is a ${class}, which the Windows form has no control for")
  endif()
  read_string("${part}" text text)
  read_string("${part}" accessibleName accessibleName)
  list(APPEND names "${name}")
  string(APPEND widgets "    {\"${name}\", TControlKind::${kind}, ${rectangle}, ${text}, ${accessibleName}},\n")
endwhile()

string(REGEX MATCHALL "<tabstop>[^<]+</tabstop>" tabstops "${ui}")
set(tabOrder "")
foreach(tabstop IN LISTS tabstops)
  string(REGEX REPLACE "</?tabstop>" "" tabstop "${tabstop}")
  if(NOT tabstop IN_LIST names)
    message(FATAL_ERROR "${UI}: the tab order names ${tabstop}, which is not a control of the form")
  endif()
  list(APPEND tabOrder "${tabstop}")
endforeach()
if(NOT tabOrder)
  message(FATAL_ERROR "${UI}: the form gives no tab order")
endif()
list(LENGTH names controlCount)
list(LENGTH tabOrder tabCount)
string(REPLACE ";" ", " nameList "${names}")
string(REPLACE ";" ", " tabList "${tabOrder}")
string(REGEX MATCH "^{0, 0, ([0-9]+), ([0-9]+)}$" origin "${formRectangle}")
if(NOT origin)
  message(FATAL_ERROR "${UI}: the form's geometry does not start at 0, 0")
endif()

file(WRITE "${OUTPUT}.new" "// Made from app/Unit1.ui by winapp/GenerateForm.cmake at build time: change
// the form there.
#pragma once

#include \"winapp/FormDescription.h\"

#include <array>
#include <cstddef>

namespace dnspeek::Unit1 {

// ${formName} itself.
inline constexpr TFormDescription Form{${caption}, ${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${fontFamily}, ${fontPoints}};

// The controls in the order the form creates them.
enum TControlIndex : std::size_t { ${nameList} };
inline constexpr std::size_t ControlCount = ${controlCount};

inline constexpr std::array<TControlDescription, ControlCount> Controls{{
${widgets}}};

// The controls the tab key visits, in its order; the others take no focus.
inline constexpr std::array<TControlIndex, ${tabCount}> TabOrder{{${tabList}}};

}  // namespace dnspeek::Unit1
")
# Rewritten only when it changed, so that an edit elsewhere in the
# description rebuilds nothing.
file(COPY_FILE "${OUTPUT}.new" "${OUTPUT}" ONLY_IF_DIFFERENT)
file(REMOVE "${OUTPUT}.new")
