/* The payload block: each file's bytes, then its length as a little-endian
   u32, back to back with no padding. The build passes the three file paths. */

#if defined(_WIN32) && defined(__i386__)
#define SYMBOL(name) _##name
#else
#define SYMBOL(name) name
#endif

#define ENTRY(name, file)          \
    .globl SYMBOL(name##Bytes);       \
SYMBOL(name##Bytes):                  \
    .incbin file;                     \
    .globl SYMBOL(name##LengthField); \
SYMBOL(name##LengthField):            \
    .long SYMBOL(name##LengthField) - SYMBOL(name##Bytes)

#ifdef _WIN32
    .section .payload,"dr"
#else
    .section .rodata.payload,"a"
#endif
    .globl SYMBOL(PayloadBlock)
SYMBOL(PayloadBlock):
    ENTRY(MainProgram, MAIN_PROGRAM_FILE)
    ENTRY(EngineProgram, ENGINE_PROGRAM_FILE)
    ENTRY(SampleDocument, SAMPLE_DOCUMENT_FILE)
    .globl SYMBOL(PayloadBlockEnd)
SYMBOL(PayloadBlockEnd):
#ifndef _WIN32
    .section .note.GNU-stack,"",@progbits
#endif
