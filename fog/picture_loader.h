// Picture files for the backgrounds, decoded at the size they are shown.
// The saver's own readers (pictures/picture_readers.h: JPEG, PNG and BMP) come
// first, on every system. What they leave, the Windows Imaging Component
// reads where the system has it (with every codec installed there);
// elsewhere, and for the metafiles it does not read, the OLE picture
// loader does. All run on any thread that has COM initialised.
#pragma once

#include <windows.h>

#include <cstdint>
#include <vector>

#include "win32/scoped_handles.h"

struct IWICImagingFactory;

enum class PictureDecoder { ImagingComponent, OlePicture };

// The system's decoder here, behind the saver's own readers: the imaging
// component when its factory can be made, the OLE picture loader otherwise.
PictureDecoder AvailablePictureDecoder();
// Makes AvailablePictureDecoder() answer OlePicture, as on a system
// without the imaging component (for tests of that path).
void PretendImagingComponentMissing(bool missing);

// The imaging component's factory, false where the system lacks it (or it
// is pretended missing).
bool CreateImagingFactory(ComRef<IWICImagingFactory>& factory);
// Whether this system has the OLE picture loader (the first releases of the
// 95 family and NT 4.0 may lack it).
bool OlePictureLoaderPresent();

// The picture file at `path` (ANSI code page), stretched to width x height
// with every source pixel weighed in: 32-bit 0x00RRGGBB pixels, rows
// top-down. False, with `pixels` empty, when the file cannot be read (no
// such file, a format no decoder knows, not enough memory for it) or when
// `cancelled` turns nonzero meanwhile.
bool DecodePictureAt(const char* path, uint32_t width, uint32_t height, std::vector<uint32_t>& pixels,
                     const volatile LONG* cancelled = nullptr);
