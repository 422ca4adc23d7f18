#pragma once
// Moving program-code values and security levels between a configuration
// document and its controller: reading and dumping one folder or all.

namespace corvane {

class CCorvaneDoc;
class ControllerLink;
class Progress;

// "&Read Selected Folder": the current directory (directory 1 when none is selected).
void ReadSelectedFolder(CCorvaneDoc& doc, ControllerLink& link, Progress& progress);
// "Read &All".
void ReadAll(CCorvaneDoc& doc, ControllerLink& link, Progress& progress);
// "&Dump Selected Folder".
void DumpSelectedFolder(CCorvaneDoc& doc, ControllerLink& link, Progress& progress);
// "D&ump All".
void DumpAll(CCorvaneDoc& doc, ControllerLink& link, Progress& progress);

} // namespace corvane
