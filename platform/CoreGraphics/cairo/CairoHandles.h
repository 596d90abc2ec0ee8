#pragma once

#include <cairo.h>

#include <memory>

// Owners for cairo's reference-counted handles, and a guard that pairs cairo_save with cairo_restore.

struct CairoSurfaceDeleter {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};
struct CairoContextDeleter {
    void operator()(cairo_t* context) const { cairo_destroy(context); }
};
struct CairoPatternDeleter {
    void operator()(cairo_pattern_t* pattern) const { cairo_pattern_destroy(pattern); }
};

using CairoSurface = std::unique_ptr<cairo_surface_t, CairoSurfaceDeleter>;
using CairoContext = std::unique_ptr<cairo_t, CairoContextDeleter>;
using CairoPattern = std::unique_ptr<cairo_pattern_t, CairoPatternDeleter>;

class CairoSaveGuard {
  public:
    explicit CairoSaveGuard(cairo_t* context) : _context(context) { cairo_save(context); }
    ~CairoSaveGuard() { cairo_restore(_context); }
    CairoSaveGuard(const CairoSaveGuard&) = delete;
    CairoSaveGuard& operator=(const CairoSaveGuard&) = delete;

  private:
    cairo_t* _context;
};
