// Internal to the command front end: the formats the long options turn resources into, the
// one walk that reads the resources of a type and has each format write its files, and the
// writing of those files.
#ifndef KESK_CLI_OUTPUTS_H
#define KESK_CLI_OUTPUTS_H

#include <cstddef>
#include <cstdio>

#include "platform/platform.h"
#include "resources/resources.h"

enum OutputFormat { kPngFormat, kTextFormat, kMidiFormat, kWavFormat, kOutputFormatCount };

constexpr int kLogicType = 0;
constexpr int kPictureType = 1;
constexpr int kViewType = 2;
constexpr int kSoundType = 3;

// One row per format, indexed by OutputFormat.
struct OutputFormatRow {
  char option[8];                       // "--png"
  bool takes_type[kResourceTypeCount];  // the types it converts, by type index
  char what_it_takes[48];               // for the usage error of a type it does not take
  char single_progress[40];             // formatted with the type name and the number
  char type_progress[40];               // formatted with the type name
};

extern const OutputFormatRow output_formats[kOutputFormatCount];

// Converts resource `number` of the type into the format's files in the working directory.
// The resource is read as extract_resource reads it, with its messages and exit statuses.
void convert_resource(int format, int type, int number);

// Converts every present resource of the type into the format's files in the type's
// directory, walking the directory file as extract_resource_type does.
void convert_resource_type(int format, int type);

// The format's run over the whole game: every picture then every view, every logic then the
// item list, or every sound.
void convert_everything(int format);

// --- Writing outputs -------------------------------------------------------------------

// Creates `name` in `directory`; a file that cannot be created ends the run with status 1.
FILE* create_output(const OutputDirectory& directory, const char* name);
// Writes bytes to an output; a failed write ends the run with status 1.
void write_output(FILE* file, const void* bytes, size_t size);
// Closes an output; a failed close ends the run with status 1.
void finish_output(FILE* file);

// A format's work area, allocated once for the run; memory that cannot be had ends the run
// with status 1.
void* allocate_work_area(size_t size);

// --- The formats' writers, each making the files of one resource ---------------------------

void write_images(int type, const ResourceData& data, int number, const OutputDirectory& directory);
void write_logic_text(const ResourceData& data, int number, const OutputDirectory& directory);
// `format` is kMidiFormat or kWavFormat.
void write_sound_file(int format, const ResourceData& data, int number,
                      const OutputDirectory& directory);

// Writes objects.txt from the object file the logic texts read, or reads it now.
void write_object_listing();

#endif  // KESK_CLI_OUTPUTS_H
