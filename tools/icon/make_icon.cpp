// make_icon.cpp -- renders one of the game's gem solids, lit as the game lights it, into the application icons
#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "recording_gl.h"
#include "render/gems.h"

namespace {

using quarzil::recording::Triangle;

// The sizes of the hicolor theme's usual application icons, in pixels.
constexpr int icon_sizes[] = {16, 24, 32, 48, 64, 128, 256};

// The magenta icosahedron: a few large faces and a crisp outline that still read at 16 pixels,
// in the brightest colour of the palette, which stands out on light and dark panels alike.
constexpr int default_kind = 3;

// The view (degrees, as glRotatef takes them): the solid is turned a little about the vertical
// axis, then its top is tipped towards the viewer about the horizontal one, so that the
// icosahedron shows bright faces in the light above and a shadowed face in front.
constexpr double view_turn = 5.0;
constexpr double view_tilt = 38.0;

// Empty border on each side of the solid, as a share of the icon's width.
constexpr double margin = 1.0 / 16.0;

// Samples per pixel along each axis: 64 samples per pixel smooth every edge.
constexpr int supersample = 8;

// The game's scene lights, both directional and seen from the eye (the camera only moves the
// scene, so their directions are the positions given). Ambient terms keep OpenGL's defaults:
// none from the lights, 0.2 of the material's colour from the light model.
struct Light {
    double direction[3];
    double diffuse;    // grey level
    double specular;   // grey level
};
constexpr Light scene_lights[] = {
    {{-2.0, 4.0, 4.0}, 0.75, 1.0},   // light 0: above, to the left, in front
    {{22.0, 2.0, 4.0}, 0.75, 0.7},   // light 1: from the right, nearly level
};
constexpr double model_ambient = 0.2;
constexpr double gem_shininess = 25.0;   // the gems' specular exponent; their specular is white

struct Vec3 {
    double x, y, z;
};

Vec3 operator-(const Vec3& a, const Vec3& b)
{
    return {a.x - b.x, a.y - b.y, a.z - b.z};
}

double dot(const Vec3& a, const Vec3& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

Vec3 cross(const Vec3& a, const Vec3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}

Vec3 unit(const Vec3& v)
{
    const double length = std::sqrt(dot(v, v));
    return {v.x / length, v.y / length, v.z / length};
}

Vec3 from(const float v[3])
{
    return {v[0], v[1], v[2]};
}

Vec3 from(const double v[3])
{
    return {v[0], v[1], v[2]};
}

// glRotatef(view_tilt, 1, 0, 0) then glRotatef(view_turn, 0, 1, 0): turned first, then tipped.
Vec3 to_view(const Vec3& p)
{
    const double turn = view_turn * std::numbers::pi / 180.0;
    const double tilt = view_tilt * std::numbers::pi / 180.0;
    const Vec3 turned = {p.x * std::cos(turn) + p.z * std::sin(turn), p.y,
                         -p.x * std::sin(turn) + p.z * std::cos(turn)};
    return {turned.x, turned.y * std::cos(tilt) - turned.z * std::sin(tilt),
            turned.y * std::sin(tilt) + turned.z * std::cos(tilt)};
}

struct Colour {
    double r, g, b;
};

// OpenGL's fixed-function lighting of one flat face with the gem material: ambient and
// diffuse the gem's colour, specular white. The viewer is at infinity, so the half vector of
// each light is its direction plus (0, 0, 1); a face turned away from a light gets neither its
// diffuse nor its specular part.
Colour shade(const Vec3& normal, const float colour[4])
{
    Colour lit = {model_ambient * colour[0], model_ambient * colour[1], model_ambient * colour[2]};
    for (const Light& light : scene_lights) {
        const Vec3 to_light = unit(from(light.direction));
        const double facing = dot(normal, to_light);
        if (facing <= 0.0) {
            continue;
        }
        const Vec3 half = unit({to_light.x, to_light.y, to_light.z + 1.0});
        const double highlight = std::pow(std::max(0.0, dot(normal, half)), gem_shininess) * light.specular;
        lit.r += facing * light.diffuse * colour[0] + highlight;
        lit.g += facing * light.diffuse * colour[1] + highlight;
        lit.b += facing * light.diffuse * colour[2] + highlight;
    }
    return {std::min(lit.r, 1.0), std::min(lit.g, 1.0), std::min(lit.b, 1.0)};
}

struct Image {
    int size;
    std::vector<unsigned char> rgba;   // size * size pixels, rows top first, straight alpha
};

// A triangle of the solid as it lands on the sample grid: x right, y down, depth towards the
// viewer, and its colour.
struct ScreenTriangle {
    double x[3], y[3], depth[3];
    Colour colour;
};

// Turns the solid into the view, culls the faces turned away (counter-clockwise from outside
// is front, as in the game) and places the rest on a square grid samples wide, the solid's
// outline centred with the margin round it.
std::vector<ScreenTriangle> place(const std::vector<Triangle>& solid, const float colour[4], int samples)
{
    double low_x = 1e9, high_x = -1e9, low_y = 1e9, high_y = -1e9;
    for (const Triangle& triangle : solid) {
        for (const float* corner : triangle.corner) {
            const Vec3 p = to_view(from(corner));
            low_x = std::min(low_x, p.x);
            high_x = std::max(high_x, p.x);
            low_y = std::min(low_y, p.y);
            high_y = std::max(high_y, p.y);
        }
    }
    const double scale = samples * (1.0 - 2.0 * margin) / std::max(high_x - low_x, high_y - low_y);
    const double centre_x = 0.5 * (low_x + high_x);
    const double centre_y = 0.5 * (low_y + high_y);

    std::vector<ScreenTriangle> placed;
    for (const Triangle& triangle : solid) {
        Vec3 p[3];
        for (int k = 0; k < 3; ++k) {
            p[k] = to_view(from(triangle.corner[k]));
        }
        if (cross(p[1] - p[0], p[2] - p[0]).z <= 0.0) {
            continue;   // a back face, or one seen edge-on
        }
        ScreenTriangle screen;
        for (int k = 0; k < 3; ++k) {
            screen.x[k] = 0.5 * samples + (p[k].x - centre_x) * scale;
            screen.y[k] = 0.5 * samples - (p[k].y - centre_y) * scale;
            screen.depth[k] = p[k].z;
        }
        screen.colour = shade(unit(to_view(from(triangle.normal))), colour);
        placed.push_back(screen);
    }
    return placed;
}

// Twice the signed area of the triangle a, b, p: its sign tells on which side of the edge from
// a to b the point p lies.
double edge(double ax, double ay, double bx, double by, double px, double py)
{
    return (bx - ax) * (py - ay) - (by - ay) * (px - ax);
}

// Draws the solid on a grid supersample times finer than the icon, with a depth buffer, and
// averages each pixel's samples: its alpha is the share of samples the solid covers and its
// colour the mean colour of those samples, so the outline is smooth on any background.
Image render(const std::vector<Triangle>& solid, const float colour[4], int size)
{
    const int samples = size * supersample;
    const std::vector<ScreenTriangle> placed = place(solid, colour, samples);
    std::vector<double> depth(static_cast<size_t>(samples) * samples, -1e9);
    std::vector<int> face(static_cast<size_t>(samples) * samples, -1);

    for (int index = 0; index < static_cast<int>(placed.size()); ++index) {
        const ScreenTriangle& t = placed[index];
        const double area = edge(t.x[0], t.y[0], t.x[1], t.y[1], t.x[2], t.y[2]);
        const int first_x = std::max(0, static_cast<int>(std::floor(std::min({t.x[0], t.x[1], t.x[2]}))));
        const int last_x = std::min(samples - 1, static_cast<int>(std::ceil(std::max({t.x[0], t.x[1], t.x[2]}))));
        const int first_y = std::max(0, static_cast<int>(std::floor(std::min({t.y[0], t.y[1], t.y[2]}))));
        const int last_y = std::min(samples - 1, static_cast<int>(std::ceil(std::max({t.y[0], t.y[1], t.y[2]}))));
        for (int sy = first_y; sy <= last_y; ++sy) {
            for (int sx = first_x; sx <= last_x; ++sx) {
                const double px = sx + 0.5;
                const double py = sy + 0.5;
                // Barycentric weights; a sample on a shared edge belongs to both faces and the
                // depth test settles it, so no sample falls between two faces.
                const double w0 = edge(t.x[1], t.y[1], t.x[2], t.y[2], px, py) / area;
                const double w1 = edge(t.x[2], t.y[2], t.x[0], t.y[0], px, py) / area;
                const double w2 = 1.0 - w0 - w1;
                if (w0 < 0.0 || w1 < 0.0 || w2 < 0.0) {
                    continue;
                }
                const double z = w0 * t.depth[0] + w1 * t.depth[1] + w2 * t.depth[2];
                const size_t at = static_cast<size_t>(sy) * samples + sx;
                if (z > depth[at]) {
                    depth[at] = z;
                    face[at] = index;
                }
            }
        }
    }

    Image image{size, std::vector<unsigned char>(static_cast<size_t>(size) * size * 4, 0)};
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            Colour sum = {0.0, 0.0, 0.0};
            int covered = 0;
            for (int sy = y * supersample; sy < (y + 1) * supersample; ++sy) {
                for (int sx = x * supersample; sx < (x + 1) * supersample; ++sx) {
                    const int index = face[static_cast<size_t>(sy) * samples + sx];
                    if (index >= 0) {
                        sum.r += placed[index].colour.r;
                        sum.g += placed[index].colour.g;
                        sum.b += placed[index].colour.b;
                        ++covered;
                    }
                }
            }
            if (covered == 0) {
                continue;
            }
            unsigned char* const pixel = &image.rgba[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = static_cast<unsigned char>(std::lround(255.0 * sum.r / covered));
            pixel[1] = static_cast<unsigned char>(std::lround(255.0 * sum.g / covered));
            pixel[2] = static_cast<unsigned char>(std::lround(255.0 * sum.b / covered));
            pixel[3] = static_cast<unsigned char>(std::lround(255.0 * covered / (supersample * supersample)));
        }
    }
    return image;
}

bool write_png(const std::string& path, const Image& image)
{
    FILE* const file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        std::perror(path.c_str());
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (info == nullptr || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        std::fprintf(stderr, "make_icon: cannot write %s\n", path.c_str());
        return false;
    }
    png_init_io(png, file);
    png_set_compression_level(png, 9);
    png_set_IHDR(png, info, image.size, image.size, 8, PNG_COLOR_TYPE_RGBA, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < image.size; ++y) {
        png_write_row(png, &image.rgba[static_cast<size_t>(y) * image.size * 4]);
    }
    png_write_end(png, info);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// Reads an 8-bit RGBA PNG back; false if it is anything else.
bool read_png(const std::string& path, Image& image)
{
    png_image reader{};
    reader.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&reader, path.c_str())) {
        return false;
    }
    if (reader.width != reader.height || reader.format != PNG_FORMAT_RGBA) {
        png_image_free(&reader);
        return false;
    }
    image.size = static_cast<int>(reader.width);
    image.rgba.assign(PNG_IMAGE_SIZE(reader), 0);
    return png_image_finish_read(&reader, nullptr, image.rgba.data(), 0, nullptr) != 0;
}

// The solid must be whole and wound as the game culls it: every triangle that is not a mere
// sliver (the sphere's quads at the poles) turns counter-clockwise about its own lighting
// normal, and a normal was given for each.
bool check_solid(const std::vector<Triangle>& solid)
{
    if (solid.empty()) {
        std::fprintf(stderr, "make_icon: the solid has no triangles\n");
        return false;
    }
    for (const Triangle& triangle : solid) {
        const Vec3 normal = from(triangle.normal);
        if (!std::isfinite(normal.x) || !std::isfinite(normal.y) || !std::isfinite(normal.z)) {
            std::fprintf(stderr, "make_icon: a triangle has no normal\n");
            return false;
        }
        const Vec3 a = from(triangle.corner[0]);
        const Vec3 winding = cross(from(triangle.corner[1]) - a, from(triangle.corner[2]) - a);
        if (dot(winding, winding) > 1e-12 && dot(winding, normal) <= 0.0) {
            std::fprintf(stderr, "make_icon: a triangle is wound against its normal\n");
            return false;
        }
    }
    return true;
}

// The tint of a colour: what is left when the grey in it is taken away. Light and shadow scale
// a gem's colour and the white highlights add grey to it, so the tint keeps its direction
// however a face is lit; a grey or white colour has none.
Vec3 tint(const Vec3& colour)
{
    const double grey = std::min({colour.x, colour.y, colour.z});
    return {colour.x - grey, colour.y - grey, colour.z - grey};
}

// The gem kind whose colour has the tint nearest in direction to the icon's mean tint; a kind
// without tint (the white one) when the icon's tint is under a tenth of its brightness.
int nearest_kind(const Vec3& mean_tint, double mean_brightness)
{
    const bool grey = std::sqrt(dot(mean_tint, mean_tint)) < 0.1 * mean_brightness;
    int nearest = -1;
    double best = -2.0;
    for (int k = 0; k < quarzil::gem_kinds; ++k) {
        const Vec3 gem_tint = tint(from(quarzil::gem_colours[k]));
        const bool gem_grey = dot(gem_tint, gem_tint) == 0.0;
        const double likeness = grey || gem_grey ? (grey == gem_grey ? 1.0 : -1.0)
                                                 : dot(unit(mean_tint), unit(gem_tint));
        if (likeness > best) {
            best = likeness;
            nearest = k;
        }
    }
    return nearest;
}

// Reads an icon back and checks that it shows the gem: the size asked for, transparent
// corners, an opaque centre, soft edges, a solid that fills a sensible share of the square,
// and a mean tint nearer the gem's own than any other gem's.
bool check_icon(const std::string& path, int size, int kind)
{
    Image image;
    if (!read_png(path, image)) {
        std::fprintf(stderr, "make_icon: %s does not read back as an RGBA PNG\n", path.c_str());
        return false;
    }
    auto alpha_at = [&image](int x, int y) { return image.rgba[(static_cast<size_t>(y) * image.size + x) * 4 + 3]; };
    const int last = size - 1;
    int opaque = 0;
    int partial = 0;
    double coverage = 0.0;   // the pixels the solid covers, counting soft ones by their alpha
    Vec3 tint_sum = {0.0, 0.0, 0.0};
    double brightness_sum = 0.0;
    for (int y = 0; y < image.size; ++y) {
        for (int x = 0; x < image.size; ++x) {
            const unsigned char* const pixel = &image.rgba[(static_cast<size_t>(y) * image.size + x) * 4];
            coverage += pixel[3] / 255.0;
            if (pixel[3] == 255) {
                const Vec3 colour = {pixel[0] / 255.0, pixel[1] / 255.0, pixel[2] / 255.0};
                const Vec3 pixel_tint = tint(colour);
                tint_sum = {tint_sum.x + pixel_tint.x, tint_sum.y + pixel_tint.y, tint_sum.z + pixel_tint.z};
                brightness_sum += std::max({colour.x, colour.y, colour.z});
                ++opaque;
            } else if (pixel[3] > 0) {
                ++partial;
            }
        }
    }
    const double filled = coverage / (image.size * image.size);
    const int nearest = opaque > 0 ? nearest_kind(tint_sum, brightness_sum) : -1;
    const struct {
        bool holds;
        const char* what;
    } checks[] = {
        {image.size == size, "the size asked for"},
        {alpha_at(0, 0) == 0 && alpha_at(last, 0) == 0 && alpha_at(0, last) == 0 && alpha_at(last, last) == 0,
         "transparent corners"},
        {alpha_at(size / 2, size / 2) == 255, "an opaque centre"},
        {partial > 0, "anti-aliased edges"},
        {filled > 0.3 && filled < 0.9, "a solid filling 30 % to 90 % of the square"},
        {nearest == kind, "the tint of the gem's own colour"},
    };
    for (const auto& check : checks) {
        if (!check.holds) {
            std::fprintf(stderr, "make_icon: %s: expected %s; got %d x %d pixels, %.0f %% covered, "
                         "%d soft edge pixels, tint nearest gem kind %d\n",
                         path.c_str(), check.what, image.size, image.size, 100.0 * filled, partial, nearest);
            return false;
        }
    }
    return true;
}

bool make_icons(const std::string& directory, int kind)
{
    namespace recording = quarzil::recording;
    recording::reset();
    quarzil::build_gem_lists();
    if (!recording::recording.errors.empty()) {
        std::fprintf(stderr, "make_icon: the gem builders misused OpenGL: %s\n",
                     recording::recording.errors.front().c_str());
        return false;
    }
    const recording::ListRecord* const list = recording::list_named(quarzil::list_base + static_cast<unsigned>(kind));
    if (list == nullptr) {
        std::fprintf(stderr, "make_icon: no display list was recorded for gem kind %d\n", kind);
        return false;
    }
    std::vector<Triangle> solid;
    for (const recording::Primitive& primitive : list->primitives) {
        const std::vector<Triangle> triangles = recording::triangles_of(primitive);
        solid.insert(solid.end(), triangles.begin(), triangles.end());
    }
    if (!check_solid(solid)) {
        return false;
    }
    const float* const colour = quarzil::gem_colours[kind];
    for (const int size : icon_sizes) {
        const std::string path = directory + "/quarzil-" + std::to_string(size) + ".png";
        if (!write_png(path, render(solid, colour, size)) || !check_icon(path, size, kind)) {
            return false;
        }
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 2 && argc != 3) {
        std::fprintf(stderr, "usage: make_icon DIRECTORY [KIND]\n"
                             "writes DIRECTORY/quarzil-SIZE.png for each icon size; KIND is a gem kind, 0 to 6\n");
        return 2;
    }
    int kind = default_kind;
    if (argc == 3) {
        char* end = nullptr;
        const long chosen = std::strtol(argv[2], &end, 10);
        if (*argv[2] == '\0' || *end != '\0' || chosen < 0 || chosen >= quarzil::gem_kinds) {
            std::fprintf(stderr, "make_icon: the kind must be 0 to %d\n", quarzil::gem_kinds - 1);
            return 2;
        }
        kind = static_cast<int>(chosen);
    }
    return make_icons(argv[1], kind) ? 0 : 1;
}
