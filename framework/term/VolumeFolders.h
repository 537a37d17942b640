// The terminal program's open-file dialog on drive C: inside a disk image: the folders it shows
// are the volume's, listed through the image platform, and the program's paths map to the
// volume's own ("C:\\WINDOWS\\system32\\hal.dll" is "/WINDOWS/system32/hal.dll").
#pragma once

#include "framework/term/TermBackend.h"
#include "platform/image/ImageVolume.h"

TermBackend::PathMapping VolumePathMapping(ImagePlatform& volume);
FolderSource VolumeFolders(ImagePlatform& volume);

// Installs both on the back-end; the volume must outlive the back-end's dialogs.
void BrowseVolume(TermBackend& backend, ImagePlatform& volume);
