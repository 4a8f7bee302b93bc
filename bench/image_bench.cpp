// Image decoding and upload of a full-screen (600 x 800) picture.
//
// Decoding: our JPEG, PNG and GIF readers (grey pixels in memory) against the
// reference tools decoding the same file to grey in the same run (djpeg
// -grayscale; pngtopnm | ppmtopgm; giftopnm | ppmtopgm), the tools' process
// start-up measured with `true` in the same pipeline shape and subtracted.
// Upload: GL_ImagePixmap::UpdatePixmap to a real winserver (through the
// temporary file the server reads) up to a round trip, against the same
// bytes carried by a bare file (write, read back, delete) and by a bare
// socket between two threads.
//
//   image_bench [rounds]      (default 30)
#include <sys/socket.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "bench_support.h"
#include "egui_conn.h"
#include "gl_image.h"
#include "gui_util.h"
#include "image/image_decode.h"
#include "nc_request.h"

namespace {

using bench::Clock;

double MedianMs(int rounds, const std::function<void()>& f) {
    std::vector<double> t;
    f(); // warm up
    for (int i = 0; i < rounds; ++i) {
        auto a = Clock::now();
        f();
        t.push_back(bench::Seconds(a, Clock::now()) * 1000.0);
    }
    std::nth_element(t.begin(), t.begin() + long(t.size() / 2), t.end());
    return t[t.size() / 2];
}

bool Have(const char* tool) {
    return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

int Shell(const std::string& cmd) { return std::system(cmd.c_str()); }

std::vector<uint8_t> ReadFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(f), {});
}

} // namespace

int main(int argc, char** argv) {
    int rounds = argc > 1 ? atoi(argv[1]) : 30;
    if (rounds < 3) rounds = 3;
    if (!Have("convert")) {
        printf("ImageMagick's convert is needed to make the pictures\n");
        return 1;
    }
    const std::string root = bench::MakeRoot("image");
    if (root.empty()) return 1;
    setenv("EINK_ROOT", root.c_str(), 1);

    // The pictures: one plasma, as JPEG, PNG and GIF.
    const std::string base = root + "/base.png";
    Shell("convert -seed 9 -size 600x800 plasma: -depth 8 " + base);
    struct Format {
        const char* name;
        std::string file;
        bool (*decode)(const uint8_t*, size_t, gui_image::Decoded*);
        std::string reference; // pipeline decoding to grey on stdout
        std::string baseline;  // the same pipeline shape doing nothing
        bool toolsPresent;
    } formats[] = {
        {"JPEG", root + "/p.jpg", gui_image::DecodeJPEG, "djpeg -grayscale FILE", "true FILE", Have("djpeg")},
        {"PNG", root + "/p.png", gui_image::DecodePNG, "pngtopnm FILE | ppmtopgm", "true FILE | cat",
         Have("pngtopnm") && Have("ppmtopgm")},
        {"GIF", root + "/p.gif", gui_image::DecodeGIF, "giftopnm FILE | ppmtopgm", "true FILE | cat",
         Have("giftopnm") && Have("ppmtopgm")},
    };
    Shell("convert " + base + " -quality 90 " + formats[0].file);
    Shell("convert " + base + " " + formats[1].file);
    Shell("convert " + base + " " + formats[2].file);

    printf("decoding a 600 x 800 picture to grey (median of %d, ms)\n", rounds);
    printf("%-5s %10s %12s %8s\n", "", "libgui", "reference", "ratio");
    for (Format& f : formats) {
        std::vector<uint8_t> data = ReadFile(f.file);
        double ours = MedianMs(rounds, [&] {
            gui_image::Decoded d;
            if (!f.decode(data.data(), data.size(), &d)) fprintf(stderr, "%s failed\n", f.name);
            d.Release();
        });
        if (!f.toolsPresent) {
            printf("%-5s %10.2f %12s\n", f.name, ours, "(no tools)");
            continue;
        }
        auto with = [&](std::string cmd) {
            for (size_t p; (p = cmd.find("FILE")) != std::string::npos;)
                cmd.replace(p, 4, "'" + f.file + "'");
            return cmd + " >/dev/null";
        };
        const std::string ref = with(f.reference), idle = with(f.baseline);
        double tool = MedianMs(rounds, [&] { Shell(ref); });
        double startup = MedianMs(rounds, [&] { Shell(idle); });
        double net = std::max(tool - startup, 0.01);
        printf("%-5s %10.2f %12.2f %8.2f   (tool %.2f ms less start-up %.2f ms)\n", f.name, ours, net, ours / net, tool,
               startup);
    }

    // Upload of a full-screen picture.
    pid_t server = bench::StartServer(root);
    int probe = bench::Connect(root + "/tmp/.commfile");
    if (probe < 0) {
        bench::StopServer(server, SIGKILL);
        return 1;
    }
    close(probe);
    char name[] = "imgbench";
    char* args[] = {name, nullptr};
    if (!egui_init(1, args)) {
        bench::StopServer(server, SIGKILL);
        return 1;
    }
    const int w = 600, h = 800;
    char* pixels = static_cast<char*>(GL_malloc(w * h));
    for (int i = 0; i < w * h; ++i)
        pixels[i] = char(i * 7);
    GL_ImagePixmap pix(pixels, w, h, 8);
    double upload = MedianMs(rounds, [&] {
        pix.UpdatePixmap();
        NC_QueryProgram("imgbench"); // answered after the upload ran
    });
    double roundTrip = MedianMs(rounds, [&] { NC_QueryProgram("imgbench"); });
    const std::string plain = root + "/tmp/plain";
    std::vector<char> back(size_t(w) * h);
    double file = MedianMs(rounds, [&] {
        FILE* out = fopen(plain.c_str(), "w");
        fwrite(pixels, 1, size_t(w) * h, out);
        fclose(out);
        FILE* in = fopen(plain.c_str(), "r");
        if (fread(back.data(), 1, back.size(), in) != back.size()) fprintf(stderr, "short read\n");
        fclose(in);
        unlink(plain.c_str());
    });
    int sv[2];
    socketpair(AF_UNIX, SOCK_STREAM, 0, sv);
    double socketMs = MedianMs(rounds, [&] {
        std::thread reader([&] { bench::ReadAll(sv[1], back.data(), back.size()); });
        bench::WriteAll(sv[0], pixels, size_t(w) * h);
        reader.join();
    });
    printf("\nuploading 600 x 800 bytes (median of %d, ms)\n", rounds);
    printf("UpdatePixmap through the server's file read: %.2f (of which a bare round trip %.2f)\n", upload, roundTrip);
    printf("bare file write + read + delete:             %.2f   ratio %.2f\n", file, upload / file);
    printf("bare socket between two threads:             %.2f   ratio %.2f\n", socketMs, upload / socketMs);
    close(sv[0]);
    close(sv[1]);
    bench::StopServer(server, SIGKILL);
    bench::RemoveRoot(root);
    return 0;
}
