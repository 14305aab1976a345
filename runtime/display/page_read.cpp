// PageReadScope: the composer's reads of a page the program thread may be
// writing at the same moment. The race is part of the design (a frame may
// show a half-printed line), so under ThreadSanitizer the reads inside the
// scope are ignored; in other builds the scope costs nothing.
#include "runtime/display/composer_internal.h"

#if defined(__SANITIZE_THREAD__)
#define TOL_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define TOL_TSAN 1
#endif
#endif

#ifdef TOL_TSAN
extern "C" void AnnotateIgnoreReadsBegin(const char* file, int line);
extern "C" void AnnotateIgnoreReadsEnd(const char* file, int line);
PageReadScope::PageReadScope() { AnnotateIgnoreReadsBegin(__FILE__, __LINE__); }
PageReadScope::~PageReadScope() { AnnotateIgnoreReadsEnd(__FILE__, __LINE__); }
#else
PageReadScope::PageReadScope() {}
PageReadScope::~PageReadScope() {}
#endif
