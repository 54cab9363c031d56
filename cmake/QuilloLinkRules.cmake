# How Quillo's targets link, checked once every target is known
# (quillo_check_link_rules, at the end of the top-level CMakeLists.txt):
#
#  - Quillo's own libraries are linked through their namespaced aliases
#    (Quillo::Core, Quillo::App, ...). A name with "::" must be a target, so a
#    library that this platform does not build is a configure error; a plain
#    name that is no target would silently become "-lQuilloSession" and fail
#    only when compiling or linking, on the one machine that builds it.
#  - Apple's frameworks are linked with quillo_link_frameworks, and only by
#    the targets that call them (the table below): the C adapters never pull
#    in AppKit, and the pure layers pull in nothing of Apple's.

# The frameworks each target may link. A target not named here may link none.
set(QUILLO_ALLOWED_FRAMEWORKS_QuilloPlatformMac AppKit Foundation ServiceManagement)
set(QUILLO_ALLOWED_FRAMEWORKS_QuilloPlatformMacOS ApplicationServices Carbon CoreFoundation)

# quillo_link_frameworks(TARGET PUBLIC|PRIVATE|INTERFACE FRAMEWORK...)
function(quillo_link_frameworks target scope)
  set(allowed ${QUILLO_ALLOWED_FRAMEWORKS_${target}})
  foreach(framework IN LISTS ARGN)
    if(NOT framework IN_LIST allowed)
      if(allowed)
        string(JOIN ", " list ${allowed})
        set(may "it may link: ${list}")
      else()
        set(may "it may link no framework")
      endif()
      message(SEND_ERROR "${target} links the framework ${framework}; ${may} "
                         "(cmake/QuilloLinkRules.cmake)")
    endif()
    target_link_libraries(${target} ${scope} "-framework ${framework}")
  endforeach()
endfunction()

function(quillo_collect_targets directory out)
  get_property(targets DIRECTORY "${directory}" PROPERTY BUILDSYSTEM_TARGETS)
  get_property(subdirectories DIRECTORY "${directory}" PROPERTY SUBDIRECTORIES)
  foreach(subdirectory IN LISTS subdirectories)
    quillo_collect_targets("${subdirectory}" more)
    list(APPEND targets ${more})
  endforeach()
  set(${out} ${targets} PARENT_SCOPE)
endfunction()

function(quillo_check_link_rules)
  quillo_collect_targets("${PROJECT_SOURCE_DIR}" targets)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    set(items "")
    if(NOT type STREQUAL "INTERFACE_LIBRARY" AND NOT type STREQUAL "UTILITY")
      get_target_property(direct ${target} LINK_LIBRARIES)
      if(direct)
        list(APPEND items ${direct})
      endif()
    endif()
    get_target_property(interface ${target} INTERFACE_LINK_LIBRARIES)
    if(interface)
      list(APPEND items ${interface})
    endif()
    set(allowed ${QUILLO_ALLOWED_FRAMEWORKS_${target}})
    foreach(item IN LISTS items)
      # A static library's private dependencies reach its users wrapped so.
      string(REGEX REPLACE "^\\$<LINK_ONLY:(.*)>$" "\\1" item "${item}")
      if(item MATCHES "^Quillo[A-Za-z]*$")
        message(SEND_ERROR "${target} links ${item} by its plain name: link its Quillo:: alias, "
                           "so that a target this platform lacks fails here")
      elseif(item MATCHES "^-framework[ ]+(.+)$")
        if(NOT CMAKE_MATCH_1 IN_LIST allowed)
          message(SEND_ERROR "${target} links the framework ${CMAKE_MATCH_1} directly; link "
                             "frameworks with quillo_link_frameworks on the target that calls them")
        endif()
      endif()
    endforeach()
  endforeach()
endfunction()
