# Run at build time: every payload file exists and fits a u32 length field.
string(REPLACE "|" ";" files "${FILES}")
foreach(file IN LISTS files)
    if(NOT EXISTS "${file}" OR IS_DIRECTORY "${file}")
        message(FATAL_ERROR "Payload file not found: ${file}")
    endif()
    file(SIZE "${file}" size)
    # file(SIZE) is exact, but compare as text: the number may pass 32 bits.
    string(LENGTH "${size}" digits)
    if(digits GREATER 10 OR (digits EQUAL 10 AND size STRGREATER_EQUAL "4294967296"))
        message(FATAL_ERROR "Payload file is 4 GiB or larger (${size} bytes): ${file}")
    endif()
endforeach()
