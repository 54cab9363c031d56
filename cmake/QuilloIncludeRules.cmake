# Which of Quillo's headers a target's own files may include, checked when
# the build is configured (and again whenever one of those files changes):
# the drawing of the interface and the content it draws include nothing of
# the app, so that they are read, built and tested without it.
#
# quillo_check_quoted_includes(TARGET ALLOWED REGEX... [BESIDE DIR])
#   Every `#include "…"` in the target's sources must match one of the
#   ALLOWED patterns, or name a file in DIR (the target's private headers).
#   System includes (<…>) are not checked.
function(quillo_check_quoted_includes target)
  cmake_parse_arguments(arg "" "BESIDE" "ALLOWED" ${ARGN})
  get_target_property(sources ${target} SOURCES)
  get_target_property(source_dir ${target} SOURCE_DIR)
  foreach(source IN LISTS sources)
    cmake_path(ABSOLUTE_PATH source BASE_DIRECTORY "${source_dir}" OUTPUT_VARIABLE file)
    set_property(DIRECTORY APPEND PROPERTY CMAKE_CONFIGURE_DEPENDS "${file}")
    file(STRINGS "${file}" lines REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*$" "\\1" header "${line}")
      set(allowed FALSE)
      foreach(pattern IN LISTS arg_ALLOWED)
        if(header MATCHES "${pattern}")
          set(allowed TRUE)
        endif()
      endforeach()
      if(NOT allowed AND arg_BESIDE AND EXISTS "${arg_BESIDE}/${header}")
        set(allowed TRUE)
      endif()
      if(NOT allowed)
        message(SEND_ERROR "${file} includes \"${header}\", which ${target} may not use: it "
                           "builds on the content alone (cmake/QuilloIncludeRules.cmake)")
      endif()
    endforeach()
  endforeach()
endfunction()
