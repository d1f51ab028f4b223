# The program's layers: win at the bottom, io on it, gfx and audio beside each
# other, controls on gfx and win, app on top.
#
# vorlune_layer(name deps...) makes the static library vorlune_<name> from
# <name>/*.cpp and links it to deps. It also links a small program with every
# object of the library forced in and only deps to resolve them, so a layer
# that calls into one it must not use fails to build.

function(vorlune_layer name)
    set(lib vorlune_${name})
    file(GLOB sources CONFIGURE_DEPENDS ${PROJECT_SOURCE_DIR}/${name}/*.cpp)
    list(FILTER sources EXCLUDE REGEX "/app/Main\\.cpp$")
    add_library(${lib} STATIC ${sources})
    target_include_directories(${lib} PUBLIC ${PROJECT_SOURCE_DIR})
    target_link_libraries(${lib} PUBLIC ${ARGN})
    vorlune_warnings(${lib})

    add_executable(layer-check-${name} ${PROJECT_SOURCE_DIR}/cmake/layer-check.cpp)
    target_link_libraries(layer-check-${name} PRIVATE "$<LINK_LIBRARY:WHOLE_ARCHIVE,${lib}>")
    vorlune_warnings(layer-check-${name})
endfunction()
