# The installer's portable logic: no Windows headers, built for both targets.
set(PORTABLE_SOURCES
    base/text.cpp
    base/install_state.cpp
    base/failure_record.cpp
    installer/editor_settings.cpp
    installer/files_in_use.cpp
    installer/install_outcome.cpp
    installer/install_folder.cpp
    installer/install_location_dialog.cpp
    installer/install_sequence.cpp
    installer/run_installer.cpp
    deploy/folders.cpp
    deploy/payload.cpp
    deploy/program_files.cpp
    deploy/start_menu.cpp
    registration/value_text.cpp
    registration/registry_writer.cpp
    registration/program_ids.cpp
    registration/document_types.cpp
)
list(TRANSFORM PORTABLE_SOURCES PREPEND ${PROJECT_SOURCE_DIR}/)

# Includes run one way: installer/ stands on deploy/ and registration/, and
# all three on base/. A file that reaches upward stops the configure step.
function(check_include_direction folder)
    file(GLOB files ${PROJECT_SOURCE_DIR}/${folder}/*)
    foreach(file IN LISTS files)
        file(STRINGS ${file} upward REGEX "#include \"(${ARGN})/")
        if(upward)
            message(FATAL_ERROR "${file} includes from above its folder: ${upward}")
        endif()
    endforeach()
endfunction()
check_include_direction(base installer deploy registration)
check_include_direction(deploy installer registration)
check_include_direction(registration installer deploy)

# Assembles the payload block from three files (the Windows build checks
# their sizes when it configures).
function(add_payload_block target main engine sample)
    foreach(file IN ITEMS ${main} ${engine} ${sample})
        if(NOT IS_ABSOLUTE "${file}")
            message(FATAL_ERROR "Payload paths must be absolute: ${file}")
        endif()
    endforeach()
    set(block ${PROJECT_SOURCE_DIR}/deploy/payload_block.S)
    add_library(${target} OBJECT ${block})
    target_compile_definitions(${target} PRIVATE
        MAIN_PROGRAM_FILE="${main}"
        ENGINE_PROGRAM_FILE="${engine}"
        SAMPLE_DOCUMENT_FILE="${sample}")
    set_source_files_properties(${block} TARGET_DIRECTORY ${target}
        PROPERTIES OBJECT_DEPENDS "${main};${engine};${sample}")
endfunction()
