# Writes the Windows form's layout from the Qt form description, so that the
# two windows cannot drift apart:
#   cmake -DUI=app/Unit1.ui -DOUTPUT=Unit1Form.h -P winapp/GenerateForm.cmake
# Reads the one form's title, client size and font, each control's class,
# name, rectangle, text and accessible name in creation order, and the tab
# order. Any other widget or property, or a value the Windows form does not
# realise, stops the build rather than being left out.

cmake_minimum_required(VERSION 3.25)

file(READ "${UI}" ui)

# White space between tags.
set(s "[ \t\r\n]*")

# The properties each kind of widget may have. Those with a value below are
# what the native control is anyway, so they are accepted with that value
# alone; the others are carried into the layout.
set(Form_properties geometry font windowTitle)
set(EditBox_properties geometry accessibleName text maxLength)
set(PushButton_properties geometry accessibleName text autoDefault default)
set(StatusBar_properties geometry accessibleName)
set(ListBox_properties geometry accessibleName editTriggers selectionMode uniformItemSizes)
# EM_SETLIMITTEXT 0: no limit.
set(fixed_maxLength "<number>2147483647</number>")
# A plain push button: the form has no default button.
set(fixed_autoDefault "<bool>false</bool>")
set(fixed_default "<bool>false</bool>")
# A list box without LBS_MULTIPLESEL, of one item height, that edits nothing.
set(fixed_editTriggers "<set>QAbstractItemView::NoEditTriggers</set>")
set(fixed_selectionMode "<enum>QAbstractItemView::SingleSelection</enum>")
set(fixed_uniformItemSizes "<bool>true</bool>")

# A text as a C string. The form's ANSI calls would show UTF-8 as other
# characters, so a text is printable ASCII. Of the XML entities it reads the
# five named ones, after checking that every '&' starts one; &amp; last, so
# that what it gives is not read again.
function(text_to_c_string text what out)
  string(HEX "${text}" bytes)
  if(NOT bytes MATCHES "^([2-6][0-9a-f]|7[0-9a-e])*$")
    message(FATAL_ERROR "${UI}: ${what} holds a byte outside printable ASCII, which the Windows form would not show as written: ${text}")
  endif()
  string(REGEX REPLACE "&(lt|gt|quot|apos|amp);" "" unescaped "${text}")
  if(unescaped MATCHES "&")
    message(FATAL_ERROR "${UI}: ${what} holds an '&' that starts none of &lt; &gt; &quot; &apos; &amp;: ${text}")
  endif()
  string(REPLACE "&lt;" "<" text "${text}")
  string(REPLACE "&gt;" ">" text "${text}")
  string(REPLACE "&quot;" "\"" text "${text}")
  string(REPLACE "&apos;" "'" text "${text}")
  string(REPLACE "&amp;" "&" text "${text}")
  string(REPLACE "\\" "\\\\" text "${text}")
  string(REPLACE "\"" "\\\"" text "${text}")
  set(${out} "\"${text}\"" PARENT_SCOPE)
endfunction()

# Takes the properties at the start of rest, each into property_<name> as
# the XML between its tags. Stops the build on one that the kind of widget
# does not have, or has with another value than the native control's.
function(take_properties name kind)
  foreach(property IN LISTS Form_properties EditBox_properties PushButton_properties StatusBar_properties
                            ListBox_properties)
    unset(property_${property} PARENT_SCOPE)
  endforeach()
  while(rest MATCHES "^<property name=\"([^\"]+)\">")
    set(property "${CMAKE_MATCH_1}")
    string(LENGTH "${CMAKE_MATCH_0}" start)
    string(FIND "${rest}" "</property>" end)
    if(end EQUAL -1)
      message(FATAL_ERROR "${UI}: ${name}'s ${property} has no end")
    endif()
    math(EXPR length "${end} - ${start}")
    string(SUBSTRING "${rest}" ${start} ${length} value)
    string(STRIP "${value}" value)
    math(EXPR end "${end} + 11")
    string(SUBSTRING "${rest}" ${end} -1 rest)
    string(STRIP "${rest}" rest)
    if(NOT property IN_LIST ${kind}_properties)
      message(FATAL_ERROR "${UI}: ${name} has the property ${property}, which the Windows form does not carry")
    endif()
    if(DEFINED fixed_${property} AND NOT value STREQUAL fixed_${property})
      message(FATAL_ERROR "${UI}: ${name} has ${property} ${value}, which the Windows form does not realise: "
                          "it takes ${fixed_${property}} alone")
    endif()
    set(property_${property} "${value}" PARENT_SCOPE)
  endwhile()
  set(rest "${rest}" PARENT_SCOPE)
endfunction()

# A string property of the widget, or the empty text.
function(read_string property what out)
  set(text "")
  if(DEFINED property_${property})
    if(NOT property_${property} MATCHES "^<string[^>]*(/>|>([^<]*)</string>)$")
      message(FATAL_ERROR "${UI}: ${what} is not a plain string")
    endif()
    set(text "${CMAKE_MATCH_2}")
  endif()
  text_to_c_string("${text}" "${what}" text)
  set(${out} "${text}" PARENT_SCOPE)
endfunction()

# Walks the form and its controls in creation order, each widget a run of
# properties and its end; anything else stops the build.
string(FIND "${ui}" "<widget " start)
if(start EQUAL -1)
  message(FATAL_ERROR "${UI}: the description holds no widget")
endif()
string(SUBSTRING "${ui}" ${start} -1 rest)
set(depth 0)
set(widgets "")
set(names "")
while(TRUE)
  if(rest MATCHES "^</widget>")
    string(SUBSTRING "${rest}" 9 -1 rest)
    string(STRIP "${rest}" rest)
    math(EXPR depth "${depth} - 1")
    if(depth EQUAL 0)
      break()
    endif()
    continue()
  endif()
  if(NOT rest MATCHES "^<widget class=\"([^\"]+)\" name=\"([A-Za-z_][A-Za-z0-9_]*)\">")
    string(SUBSTRING "${rest}" 0 60 unknown)
    message(FATAL_ERROR "${UI}: where a widget or its end belongs, the form holds what the Windows form does not read: ${unknown}")
  endif()
  set(class "${CMAKE_MATCH_1}")
  set(name "${CMAKE_MATCH_2}")
  string(LENGTH "${CMAKE_MATCH_0}" length)
  string(SUBSTRING "${rest}" ${length} -1 rest)
  string(STRIP "${rest}" rest)
  math(EXPR depth "${depth} + 1")
  if(depth EQUAL 1 AND class STREQUAL "QWidget")
    set(kind Form)
  elseif(depth GREATER 2)
    message(FATAL_ERROR "${UI}: ${name} lies inside another control, while the Windows form's controls are all its own")
  elseif(depth EQUAL 2 AND class STREQUAL "QLineEdit")
    set(kind EditBox)
  elseif(depth EQUAL 2 AND (class STREQUAL "QPushButton" OR class STREQUAL "dnspeek::TButton"))
    set(kind PushButton)
  elseif(depth EQUAL 2 AND class STREQUAL "QStatusBar")
    set(kind StatusBar)
  elseif(depth EQUAL 2 AND class STREQUAL "QListView")
    set(kind ListBox)
  else()
    message(FATAL_ERROR "${UI}: ${name} is a ${class}, which the Windows form has no window for")
  endif()
  take_properties(${name} ${kind})
  if(NOT property_geometry MATCHES
     "^<rect>${s}<x>([0-9]+)</x>${s}<y>([0-9]+)</y>${s}<width>([0-9]+)</width>${s}<height>([0-9]+)</height>${s}</rect>$")
    message(FATAL_ERROR "${UI}: ${name} has no geometry of x, y, width and height")
  endif()
  set(rectangle "{${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}, ${CMAKE_MATCH_3}, ${CMAKE_MATCH_4}}")
  if(kind STREQUAL Form)
    if(NOT rectangle MATCHES "^{0, 0, ([0-9]+), ([0-9]+)}$")
      message(FATAL_ERROR "${UI}: the geometry of the form ${name} does not start at 0, 0")
    endif()
    set(formName "${name}")
    set(clientSize "${CMAKE_MATCH_1}, ${CMAKE_MATCH_2}")
    read_string(windowTitle "${name}'s windowTitle" caption)
    if(NOT property_font MATCHES "^<font>${s}<family>([^<]+)</family>${s}<pointsize>([0-9]+)</pointsize>${s}</font>$")
      message(FATAL_ERROR "${UI}: ${name} has no font of a family and a point size alone")
    endif()
    set(fontPoints "${CMAKE_MATCH_2}")
    text_to_c_string("${CMAKE_MATCH_1}" "${name}'s font family" fontFamily)
  else()
    read_string(text "${name}'s text" text)
    read_string(accessibleName "${name}'s accessibleName" accessibleName)
    list(APPEND names "${name}")
    string(APPEND widgets "    {\"${name}\", TControlKind::${kind}, ${rectangle}, ${text}, ${accessibleName}},\n")
  endif()
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
file(WRITE "${OUTPUT}.new" "// Made from app/Unit1.ui by winapp/GenerateForm.cmake at build time: change
// the form there.
#pragma once

#include \"winapp/FormDescription.h\"

#include <array>
#include <cstddef>

namespace dnspeek::Unit1 {

// ${formName} itself.
inline constexpr TFormDescription Form{${caption}, ${clientSize}, ${fontFamily}, ${fontPoints}};

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
