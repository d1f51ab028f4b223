# Third-party libraries built by tools/setup.sh; VORLUNE_DEPS_FILE lists their prefixes.
if(NOT VORLUNE_DEPS_FILE)
    message(FATAL_ERROR "Pass -DVORLUNE_DEPS_FILE=<cache>/deps/<triplet>.cmake (written by tools/setup.sh)")
endif()
include(${VORLUNE_DEPS_FILE})

function(vorlune_find_dep var kind name)
    if(kind STREQUAL "lib")
        find_library(${var} NAMES ${name} PATHS ${VORLUNE_DEP_PREFIXES} PATH_SUFFIXES lib
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    elseif(kind STREQUAL "file")
        find_file(${var} NAMES ${name} PATHS ${VORLUNE_DEP_PREFIXES} PATH_SUFFIXES bin
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    else()
        find_path(${var} NAMES ${name} PATHS ${VORLUNE_DEP_PREFIXES} PATH_SUFFIXES include
            NO_DEFAULT_PATH NO_CMAKE_FIND_ROOT_PATH)
    endif()
    if(NOT ${var})
        message(FATAL_ERROR "${name} not found in ${VORLUNE_DEPS_FILE}; run tools/setup.sh")
    endif()
endfunction()

function(vorlune_import name lib header)
    vorlune_find_dep(VORLUNE_${name}_LIB lib ${lib})
    vorlune_find_dep(VORLUNE_${name}_INC path ${header})
    add_library(vorlune::${name} STATIC IMPORTED GLOBAL)
    set_target_properties(vorlune::${name} PROPERTIES
        IMPORTED_LOCATION ${VORLUNE_${name}_LIB}
        INTERFACE_INCLUDE_DIRECTORIES ${VORLUNE_${name}_INC})
endfunction()

vorlune_import(mpg123 libmpg123.a mpg123.h)
set_property(TARGET vorlune::mpg123 APPEND PROPERTY INTERFACE_LINK_LIBRARIES shlwapi)
vorlune_import(jpeg libjpeg.a jpeglib.h)
# zlib is Debian's mingw package.
add_library(vorlune::zlib STATIC IMPORTED GLOBAL)
set_target_properties(vorlune::zlib PROPERTIES
    IMPORTED_LOCATION /usr/${TOOLCHAIN_PREFIX}/lib/libz.a
    INTERFACE_INCLUDE_DIRECTORIES /usr/${TOOLCHAIN_PREFIX}/include)
vorlune_import(png libpng16.a png.h)
set_property(TARGET vorlune::png APPEND PROPERTY INTERFACE_LINK_LIBRARIES vorlune::zlib)
# TagLib, static: its headers must not ask for DLL imports.
vorlune_import(taglib libtag.a taglib/tag.h)
set_property(TARGET vorlune::taglib APPEND PROPERTY INTERFACE_COMPILE_DEFINITIONS TAGLIB_STATIC)
set_property(TARGET vorlune::taglib APPEND PROPERTY INTERFACE_LINK_LIBRARIES vorlune::zlib)
vorlune_import(gtest libgtest.a gtest/gtest.h)
vorlune_import(gmock libgmock.a gmock/gmock.h)
set_property(TARGET vorlune::gmock APPEND PROPERTY INTERFACE_LINK_LIBRARIES vorlune::gtest)

vorlune_find_dep(VORLUNE_LAME_ENC_DLL file lame_enc.dll)

# The encoder library is loaded at run time from the program's folder.
function(vorlune_copy_lame_enc target)
    add_custom_command(TARGET ${target} POST_BUILD
        COMMAND ${CMAKE_COMMAND} -E copy_if_different ${VORLUNE_LAME_ENC_DLL} $<TARGET_FILE_DIR:${target}>/lame_enc.dll
        VERBATIM)
endfunction()
