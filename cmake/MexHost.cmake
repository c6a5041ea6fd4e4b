# Host binding for the MEX deliverables.
#
#   mom_add_mex(NAME SOURCES src... [LIBRARIES lib...] [HELP file.m] [OUTPUT_DIRECTORY dir])
#
# builds NAME as a MEX file in ${MOM_MEX_DIR} (NAME.mex for Octave, NAME.<mexext> for MATLAB)
# and copies its help file beside it, so that `help NAME` and `test NAME` work from that folder.
#
# Octave: the MEX API is resolved at load time from the running Octave process, so the module
# is a plain shared object compiled against Octave's headers (the include flags come from
# `mkoctfile -p INCFLAGS`). From Octave 8 on, mkoctfile also links liboctmex; we do the same
# when that library exists.
#
# MATLAB: FindMatlab's matlab_add_mex with the separate-complex API (R2017b), which both hosts
# share. LAPACK then comes from MATLAB's own libmwlapack/libmwblas with 64-bit integers.

set(MOM_CMAKE_DIR ${CMAKE_CURRENT_LIST_DIR})

if(MEX_HOST STREQUAL "octave")
  find_program(MKOCTFILE NAMES mkoctfile REQUIRED)
  execute_process(COMMAND ${MKOCTFILE} -p OCTINCLUDEDIR OUTPUT_VARIABLE OCT_INCLUDE_DIR
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  execute_process(COMMAND ${MKOCTFILE} -p OCTLIBDIR OUTPUT_VARIABLE OCT_LIB_DIR
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  get_filename_component(OCT_INCLUDE_PARENT ${OCT_INCLUDE_DIR} DIRECTORY)
  find_library(OCT_MEX_LIBRARY NAMES octmex PATHS ${OCT_LIB_DIR} NO_DEFAULT_PATH)
  message(STATUS "MEX host: GNU Octave (headers ${OCT_INCLUDE_DIR})")

  add_library(mex_host INTERFACE)
  target_include_directories(mex_host SYSTEM INTERFACE ${OCT_INCLUDE_DIR} ${OCT_INCLUDE_PARENT})
  target_compile_definitions(mex_host INTERFACE MOM_HOST_OCTAVE=1)
  if(OCT_MEX_LIBRARY)
    target_link_libraries(mex_host INTERFACE ${OCT_MEX_LIBRARY})
  endif()
  set(MOM_MEX_SUFFIX ".mex")

  # Octave links OpenBLAS (through the system's liblapack.so.3/libblas.so.3) with 32-bit integers.
  set(BLA_VENDOR Generic)  # liblapack.so.3 / libblas.so.3: the alternative Octave loads too
  find_package(LAPACK REQUIRED)
  add_library(mom_lapack INTERFACE)
  target_link_libraries(mom_lapack INTERFACE ${LAPACK_LIBRARIES})
elseif(MEX_HOST STREQUAL "matlab")
  find_package(Matlab REQUIRED COMPONENTS MX_LIBRARY)
  message(STATUS "MEX host: MATLAB ${Matlab_VERSION_STRING} (${Matlab_ROOT_DIR})")
  add_library(mex_host INTERFACE)
  target_include_directories(mex_host SYSTEM INTERFACE ${Matlab_INCLUDE_DIRS})
  target_compile_definitions(mex_host INTERFACE MOM_HOST_MATLAB=1 MATLAB_DEFAULT_RELEASE=R2017b)
  set(MOM_MEX_SUFFIX ".${Matlab_MEX_EXTENSION}")

  # MATLAB's LAPACK uses 64-bit integers (ptrdiff_t).
  find_library(MWLAPACK NAMES mwlapack libmwlapack PATHS ${Matlab_EXTERN_LIBRARY_DIR} REQUIRED)
  find_library(MWBLAS NAMES mwblas libmwblas PATHS ${Matlab_EXTERN_LIBRARY_DIR} REQUIRED)
  add_library(mom_lapack INTERFACE)
  target_link_libraries(mom_lapack INTERFACE ${MWLAPACK} ${MWBLAS})
  target_compile_definitions(mom_lapack INTERFACE MOM_LAPACK_ILP64=1)
else()
  message(FATAL_ERROR "MEX_HOST must be 'octave' or 'matlab', not '${MEX_HOST}'")
endif()

function(mom_add_mex name)
  cmake_parse_arguments(ARG "" "HELP;OUTPUT_DIRECTORY" "SOURCES;LIBRARIES" ${ARGN})
  if(NOT ARG_OUTPUT_DIRECTORY)
    set(ARG_OUTPUT_DIRECTORY ${MOM_MEX_DIR})
  endif()
  if(MEX_HOST STREQUAL "octave")
    add_library(${name} MODULE ${ARG_SOURCES})
    target_link_libraries(${name} PRIVATE mex_host mom_host ${ARG_LIBRARIES})
    # Export only mexFunction; keep our own symbols (and those of the C++ runtime we link)
    # from clashing with the host's.
    set_target_properties(${name} PROPERTIES
      PREFIX "" SUFFIX "${MOM_MEX_SUFFIX}"
      CXX_VISIBILITY_PRESET hidden VISIBILITY_INLINES_HIDDEN ON
      LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
    target_link_options(${name} PRIVATE -Wl,-Bsymbolic -Wl,--no-undefined-version)
  else()
    matlab_add_mex(NAME ${name} MODULE SRC ${ARG_SOURCES} R2017b
                   LINK_TO mom_host ${ARG_LIBRARIES})
    set_target_properties(${name} PROPERTIES LIBRARY_OUTPUT_DIRECTORY ${ARG_OUTPUT_DIRECTORY})
  endif()
  if(ARG_HELP)
    get_filename_component(help_name ${ARG_HELP} NAME)
    # A build step of its own, so that an edited help file is copied even when the module
    # itself does not relink; the release number (@MOM_VERSION@) is filled in on the way.
    set(help_out ${ARG_OUTPUT_DIRECTORY}/${help_name})
    add_custom_command(OUTPUT ${help_out}
      COMMAND ${CMAKE_COMMAND} -DSOURCE=${CMAKE_CURRENT_SOURCE_DIR}/${ARG_HELP}
              -DTARGET=${help_out} -DMOM_VERSION=${MOM_VERSION}
              -P ${MOM_CMAKE_DIR}/CopyHelp.cmake
      DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${ARG_HELP} ${MOM_CMAKE_DIR}/CopyHelp.cmake
              ${CMAKE_SOURCE_DIR}/VERSION)
    add_custom_target(${name}_help ALL DEPENDS ${help_out})
  endif()
endfunction()
