# The Windows form's generator on app/Unit1.ui changed in one place per row:
# it stops the build on what the Windows form would not realise, naming it,
# and reads each entity once.
#   cmake -DSOURCE=SOURCE_FOLDER -DWORK=FOLDER -P tests/GenerateFormTest.cmake

cmake_minimum_required(VERSION 3.25)

file(READ "${SOURCE}/app/Unit1.ui" form)

# The generator's error, or the header it wrote, must hold EXPECTED.
function(expect row from to expected)
  string(REPLACE "${from}" "${to}" changed "${form}")
  if(changed STREQUAL form)
    message(FATAL_ERROR "${row}: app/Unit1.ui holds no ${from}")
  endif()
  file(WRITE "${WORK}/${row}.ui" "${changed}")
  execute_process(COMMAND "${CMAKE_COMMAND}" -DUI=${WORK}/${row}.ui -DOUTPUT=${WORK}/${row}.h
                          -P "${SOURCE}/winapp/GenerateForm.cmake"
                  RESULT_VARIABLE result ERROR_VARIABLE said)
  if(result EQUAL 0)
    file(READ "${WORK}/${row}.h" said)
  endif()
  # CMake wraps its messages.
  string(REGEX REPLACE "[ \n]+" " " said "${said}")
  string(FIND "${said}" "${expected}" found)
  if(found EQUAL -1)
    message(FATAL_ERROR "${row}: expected ${expected}, got: ${said}")
  endif()
endfunction()

expect(default_button "name=\"default\">\n    <bool>false" "name=\"default\">\n    <bool>true"
       "Button1 has default <bool>true</bool>, which the Windows form does not realise")
expect(read_only "name=\"txtHostName\">" "name=\"txtHostName\"><property name=\"readOnly\"><bool>true</bool></property>"
       "txtHostName has the property readOnly, which the Windows form does not carry")
expect(multi_selection "SingleSelection" "MultiSelection" "ListBox1 has selectionMode")
expect(label "\"QStatusBar\"" "\"QLabel\"" "StatusBar1 is a QLabel, which the Windows form has no window for")
expect(non_ascii "www.example.com" "www.exämple.com" "txtHostName's text holds a byte outside printable ASCII")
expect(stray_ampersand ">Button1<" ">Button&1<" "Button1's text holds an '&'")
expect(entity_read_once "www.example.com" "a&amp;lt;b" "\"a&lt;b\"")
