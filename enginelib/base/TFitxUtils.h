#pragma once

// File operations on device paths (see Path: '\' separates, a leading '\' is under
// the device root, names match without regard to case).
class TFitxUtils {
public:
    // An existing file (not a folder).
    static bool Verifica_Existencia_Archivo(const char* path);
    // A file with the path's folder and name exists, with any extension or none
    // ("\Data\track" or "\Data\track.gpx" finds "track.kml").
    static bool Verifica_Existencia_Archivo_Sin_Extension(const char* path);
    // An existing folder.
    static bool Verifica_Existencia_Carpeta(const char* path);

    // Deletes a file (never a folder).
    static bool Borra_Archivo(const char* path);
    // Moves or renames a file; false when the destination already exists (delete it
    // first to replace it).
    static bool Mueve_Archivo(const char* from, const char* to);
    // Creates a folder and any missing parents; true when it exists afterwards.
    static bool Crea_Carpeta(const char* path);
};
