// The timeline picture in a build without a drawer: the CSV form still works.
#include "apps/kestrum-host/timeline_picture.h"

namespace console {

bool timeline_pictures_available() { return false; }

bool draw_timeline_png(const Timeline&, const std::string&, const std::string&, std::string& error) {
  error = "this build of kestrum-host draws no pictures; write the timeline as FILE.csv";
  return false;
}

}  // namespace console
