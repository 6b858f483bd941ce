# Resources compiled at build time from readable sources by the project's own
# tools (tools/): panel layouts, pixmaps and skins.
#
# The tools run on the build machine. The native tree builds them as ordinary
# targets (tools/ is one of its folders). A Windows tree cannot run what its
# cross compiler makes, so it builds tools/ once more as a separate project
# with the host's compiler, inside its own build folder (host-tools/).

# Every tool that compiles resources; each is "TOOL compile SOURCE OUTPUT".
set(VEXA_RESOURCE_TOOLS vexa-panelc vexa-pixmap vexa-skinc)

# Where compiled resources land; the resource scripts find them there.
set(VEXA_COMPILED_RESOURCES ${CMAKE_BINARY_DIR}/resources)
file(MAKE_DIRECTORY ${VEXA_COMPILED_RESOURCES})

if(CMAKE_CROSSCOMPILING)
    include(ExternalProject)
    set(VEXA_HOST_TOOLS_DIR ${CMAKE_BINARY_DIR}/host-tools)
    set(host_tool_files)
    foreach(tool IN LISTS VEXA_RESOURCE_TOOLS)
        list(APPEND host_tool_files ${VEXA_HOST_TOOLS_DIR}/bin/${tool})
    endforeach()
    ExternalProject_Add(vexa_host_tools
        SOURCE_DIR ${CMAKE_SOURCE_DIR}/tools
        BINARY_DIR ${VEXA_HOST_TOOLS_DIR}
        CMAKE_ARGS -DCMAKE_C_COMPILER=gcc -DCMAKE_CXX_COMPILER=g++ -DCMAKE_BUILD_TYPE=Release
        INSTALL_COMMAND ""
        # The sub-build decides itself whether anything changed.
        BUILD_ALWAYS ON
        BUILD_BYPRODUCTS ${host_tool_files}
    )
endif()

# vexa_compile_resource(TOOL SOURCE OUTPUT): OUTPUT is made from SOURCE by
# "TOOL compile SOURCE OUTPUT" whenever either the source or the tool changes.
function(vexa_compile_resource tool source output)
    if(CMAKE_CROSSCOMPILING)
        set(command ${VEXA_HOST_TOOLS_DIR}/bin/${tool})
        set(depends vexa_host_tools ${command})
    else()
        set(command $<TARGET_FILE:${tool}>)
        set(depends ${tool})
    endif()
    get_filename_component(name ${output} NAME)
    add_custom_command(OUTPUT ${output}
        COMMAND ${command} compile ${source} ${output}
        DEPENDS ${source} ${depends}
        COMMENT "Compiling resource ${name}"
        VERBATIM)
endfunction()

# vexa_compile_resources(TOOL PATTERN SUFFIX OUT_VAR): every source file that
# matches PATTERN (relative to the calling folder) becomes
# ${VEXA_COMPILED_RESOURCES}/<name><SUFFIX>, where <name> is the file name
# without its last extension; OUT_VAR receives the outputs.
function(vexa_compile_resources tool pattern suffix out_var)
    file(GLOB sources CONFIGURE_DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${pattern})
    set(outputs)
    foreach(source IN LISTS sources)
        get_filename_component(name ${source} NAME_WLE)
        set(output ${VEXA_COMPILED_RESOURCES}/${name}${suffix})
        vexa_compile_resource(${tool} ${source} ${output})
        list(APPEND outputs ${output})
    endforeach()
    set(${out_var} ${outputs} PARENT_SCOPE)
endfunction()
