#pragma once
// The whole archive layer: errors and kinds, options, command lines, library bindings, type
// detection, the drivers' base and the archive file object.
#include "cmarc/ArchiveCommon.h"
#include "cmarc/ArchiveFile.h"
#include "cmarc/Archiver.h"
#include "cmarc/ArchiverDll.h"
#include "cmarc/ArchiverOptions.h"
#include "cmarc/ArchiverType.h"
#include "cmarc/CmdOpt.h"
#include "cmarc/ZipDll.h"
