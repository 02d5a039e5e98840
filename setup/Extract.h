// Extract mode: every folder and payload file of the script table written
// below the current directory, without any dialog, log or registry access.
#pragma once

struct TScriptItem;

// Makes the current directory the installation directory and performs the
// CreateFolder and CopyPayloadFile items of items[0..count). Failures leave
// the folder or file missing and the walk goes on.
void ExtractPayloadFiles(const TScriptItem* items, int count);
