// The host's utility library, structures module and 3-D library, as the module calls
// them. The host defines every name declared here; the module only declares and calls.
#pragma once

#include <cstdint>

#include "platform/windows_api.h"

// The host's 64-bit integers: the compiler's __int64 on Windows, the same width elsewhere.
#ifdef _WIN32
typedef __int64 Host_Int64;
typedef unsigned __int64 Host_UInt64;
#else
typedef int64_t Host_Int64;
typedef uint64_t Host_UInt64;
#endif

// The host's data lives in the host's own image. On Windows a module reaches it through
// that image's export table (dllimport), never through run-time fix-ups of its own code;
// the host image itself, which defines the data, builds with KESTRUM_BUILDING_HOST.
#if defined(_WIN32) && !defined(KESTRUM_BUILDING_HOST)
#define KESTRUM_HOST_DATA __declspec(dllimport)
#else
#define KESTRUM_HOST_DATA
#endif

// The host declares its text arguments as char* and only reads them: a module hands its
// constant texts over through this.
inline char* Host_Text(const char* text) { return const_cast<char*>(text); }

// ---- Utility library -------------------------------------------------------------

// Shows or logs a printf-style text under a message code; the result is never read.
// The format attribute has the compiler check each call's arguments against its format
// (a mismatch fails the build); it changes nothing of the name the module links to.
int Error_Fct(HWND window, int code, char* format, ...) __attribute__((format(printf, 3, 4)));
// A readable text of a byte count, valid until the next call; the module passes NULL.
char* Int_2_Byte(Host_Int64 bytes, char* buffer);
// Non-zero when `text` matches `word`; the text "*" matches every word.
int Str_Match(char* word, char* text);

KESTRUM_HOST_DATA extern HWND hwnd;              // the host's main window, first argument of Error_Fct
KESTRUM_HOST_DATA extern signed char Flag_Trace;  // the host's trace level, read afresh at every use

// ---- Structures module -----------------------------------------------------------

struct Region_2D;  // opaque; the module passes null

// The current value of a host variable in a pointer-sized word: a number, or for a
// text (a font name) the pointer to it. The module passes the name and three nulls.
intptr_t Fct_Variable_Value(char* name, int* count, unsigned short* type,
                            int (**getter)(void));
// The address of a host variable's storage, stable for the life of the process, or
// null when there is no such variable. The module passes the name, three nulls and 0.
void* Fct_Variable_Get(char* name, int* count, unsigned short* type,
                       int (**getter)(void), char create);

// Propagate a data change / repaint the views that an update word names.
int Fct_Update(Host_UInt64 flags, void* first, void* second, Region_2D* region);
int Fct_Redraw(Host_UInt64 flags, void* first, void* second, Region_2D* region);
// Show the help page and one of its entries (entry may be null).
int Fct_Help(char* page, char* entry);

int Undo_Reset();   // empties the undo history
int Undo_Memory();  // bytes held by the undo history, signed 32-bit

// Non-zero when `count` fits `expected`; on 0 the host reports with the usage text.
int Script_Arg_Check(char* usage, int count, int expected);

// ---- 2-D image database ----------------------------------------------------------

// A node of the image database. Opaque: reached only through its members.
class Orvan_2D {
 public:
  uint64_t User_Memory();                     // bytes held by this node alone
  uint64_t User_Cleanup(unsigned short level);  // bytes released by this node alone
  int Child_Get_Nb();                         // number of children; 0 or less: none
  Orvan_2D* Child_Get_Pt(int index);          // child 0 .. count - 1
  int Mutex_Open(char* owner);                // lock the node for `owner`
  int Mutex_Close(char* owner);               // unlock it

 protected:
  Orvan_2D() = default;
  ~Orvan_2D() = default;
};

// One image of a 2-D file record.
struct Orvan_Image {
  uint16_t Size_X;
  uint16_t Size_Y;
  uint16_t Size_Z;
  uint16_t Size_T;
  uint16_t Sample_Bits;    // sample width in bits
  uint8_t Sample_Number;   // samples per element
};

// A 2-D file record: its images, in table order.
struct Orvan_2D_File {
  int32_t Image_Nb;
  Orvan_Image** Image_Tab;
};

// ---- 3-D library -----------------------------------------------------------------

struct Orvan;       // opaque start object of an iteration; the module passes null
struct Movie_Objs;  // opaque movie object

// An object's geometry ("arts"); every 3-D object is one.
class Orvan_3D_Geom {
 protected:
  Orvan_3D_Geom() = default;
  ~Orvan_3D_Geom() = default;
};

// A 3-D object, delivered one by one by the host's iterator.
class Orvan_3D : public Orvan_3D_Geom {
 public:
  uint64_t User_Memory();
  uint64_t User_Cleanup(unsigned short level);

 protected:
  Orvan_3D() = default;
  ~Orvan_3D() = default;
};

// A 3-D file or 3-D tag with its movie table (the table may be absent, entries null).
// The host allocates tags with the global operator new and the tag table with malloc;
// the module destroys tags (destructor, then operator delete) and frees the table.
class Orvan_3D_File {
 public:
  Orvan_3D_File() = default;
  ~Orvan_3D_File();  // releases everything the tag holds
  Orvan_3D_File(const Orvan_3D_File&) = delete;
  Orvan_3D_File& operator=(const Orvan_3D_File&) = delete;

  int32_t Movie_Nb = 0;
  Movie_Objs** Movie_Tab = nullptr;
};

uint32_t Movie_Memory(Movie_Objs* movie);     // bytes held by one movie
uint64_t Arts_3D_Size(Orvan_3D_Geom* object);  // bytes held by an object's arts
uint64_t Arts_3D_Free(Orvan_3D_Geom* object);  // releases them; bytes released

unsigned short Iterator_Init(char* owner, Orvan* start);  // 0: none to be had
Orvan_3D* Iterator_Class_3D(unsigned short id, unsigned int classes, void* reserved,
                            unsigned char flags);  // next object, null at the end
int Iterator_End(unsigned short id);

int Database_3D_Tree_Generate();  // rebuilds the 3-D tree after deletions
