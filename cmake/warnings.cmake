# Warnings for the project's own code, as errors where the preset asks for
# them (CMAKE_COMPILE_WARNING_AS_ERROR). Code built from elsewhere (the MinGW
# build's GoogleTest, compiled from Debian's sources) keeps its own flags and
# never fails the build on a warning.
set(DIGIT_TINT_WARNINGS -Wall -Wextra -Wpedantic -Wshadow)

function(digit_tint_scope_warnings dir)
  get_property(targets DIRECTORY ${dir} PROPERTY BUILDSYSTEM_TARGETS)
  get_property(source_dir DIRECTORY ${dir} PROPERTY SOURCE_DIR)
  cmake_path(IS_PREFIX PROJECT_SOURCE_DIR "${source_dir}" own)
  foreach(target IN LISTS targets)
    get_target_property(type ${target} TYPE)
    if(NOT type MATCHES "^(EXECUTABLE|STATIC_LIBRARY|SHARED_LIBRARY|OBJECT_LIBRARY)$")
      continue()
    endif()
    if(own)
      target_compile_options(${target} PRIVATE ${DIGIT_TINT_WARNINGS})
    else()
      set_target_properties(${target} PROPERTIES COMPILE_WARNING_AS_ERROR OFF)
    endif()
  endforeach()
  get_property(subdirs DIRECTORY ${dir} PROPERTY SUBDIRECTORIES)
  foreach(sub IN LISTS subdirs)
    digit_tint_scope_warnings(${sub})
  endforeach()
endfunction()
