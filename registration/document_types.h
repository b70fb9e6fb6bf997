// The document types the editor opens, and the ".tpf" association.
#pragma once

struct DocumentType {
    const char* extension;
    const char* description;
    int iconIndex;  // icon in the main program, or NoProgramIcon: the document is its own icon
};

enum { NoProgramIcon = -1, DocumentTypeCount = 11 };

extern const DocumentType DocumentTypeTable[DocumentTypeCount];

bool RegisterDocumentTypes();    // one ProgID per row, under HKLM\SOFTWARE\Classes
bool RegisterTpfAssociation();   // ".tpf" -> "tpffile", under HKLM\SOFTWARE\Classes
