# Writes the CTest registrations of an x11 test executable's cases, one test
# per case, each run through the X session wrapper (see overink_x11_cases).
#   cmake -D EXECUTABLE=... -D NAME=... -D SESSION=<wrapper> [-D SESSION_OPTIONS="opts"]
#         [-D FILTER=<gtest filter>] [-D STANDIN_WM=<standin_wm>] -D OUTPUT=... -P X11Cases.cmake
set(list_args --gtest_list_tests)
if(FILTER)
  list(APPEND list_args --gtest_filter=${FILTER})
endif()
execute_process(COMMAND ${EXECUTABLE} ${list_args}
  OUTPUT_VARIABLE listing RESULT_VARIABLE result TIMEOUT 60)
if(NOT result EQUAL 0)
  message(FATAL_ERROR "Listing the cases of ${EXECUTABLE} failed (${result}):\n${listing}")
endif()

set(command "[==[${SESSION}]==]")
separate_arguments(options UNIX_COMMAND "${SESSION_OPTIONS}")
foreach(option IN LISTS options)
  string(APPEND command " [==[${option}]==]")
endforeach()
string(APPEND command " -- [==[${EXECUTABLE}]==]")

# The listing names a suite on a line of its own ("Suite.") and its cases
# indented beneath it.
string(REPLACE "\n" ";" lines "${listing}")
set(script "")
set(suite "")
foreach(line IN LISTS lines)
  if(line MATCHES "^([A-Za-z0-9_/]+)\\.")
    set(suite ${CMAKE_MATCH_1})
  elseif(line MATCHES "^  ([A-Za-z0-9_/]+)" AND suite)
    set(test "${NAME}.${suite}.${CMAKE_MATCH_1}")
    string(APPEND script
      "add_test([==[${test}]==] ${command} [==[--gtest_filter=${suite}.${CMAKE_MATCH_1}]==])\n"
      "set_tests_properties([==[${test}]==] PROPERTIES LABELS x11 TIMEOUT 120\n"
      "  ENVIRONMENT [==[OVERINK_STANDIN_WM=${STANDIN_WM}]==])\n")
  endif()
endforeach()
file(WRITE ${OUTPUT} "${script}")
