/* The benchmark page drawn with libharu and its base-14 fonts: the peer of
 * bench_pdf. Usage: bench_pdf_haru PAGES OUTPUT. Prints the milliseconds from
 * the first call to the file written. */
#include <hpdf.h>
#include <stdio.h>
#include <stdlib.h>
#include <time.h>

#define PT(u) ((u)*0.75f)
#define Y(u) ((1123 - (u)) * 0.75f)

static void on_error(HPDF_STATUS error, HPDF_STATUS detail, void* data) {
    (void)data;
    fprintf(stderr, "libharu error %04X detail %u\n", (unsigned)error, (unsigned)detail);
    exit(1);
}

static double now_ms(void) {
    struct timespec ts;
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return ts.tv_sec * 1000.0 + ts.tv_nsec / 1e6;
}

static void text_at(HPDF_Page page, HPDF_Font font, float size, float x, float y, const char* s) {
    HPDF_Page_BeginText(page);
    HPDF_Page_SetFontAndSize(page, font, size);
    HPDF_Page_TextOut(page, x, y, s);
    HPDF_Page_EndText(page);
}

static void right_at(HPDF_Page page, HPDF_Font font, float size, float right, float y,
                     const char* s) {
    HPDF_Page_SetFontAndSize(page, font, size);
    text_at(page, font, size, right - HPDF_Page_TextWidth(page, s), y, s);
}

static void frame(HPDF_Page page, int l, int t, int r, int b) {
    HPDF_Page_SetLineWidth(page, 0.75f);
    HPDF_Page_SetRGBStroke(page, 0, 0, 0);
    HPDF_Page_SetRGBFill(page, 0.9f, 0.9f, 0.9f);
    HPDF_Page_Rectangle(page, PT(l), Y(b), PT(r - l), PT(b - t));
    HPDF_Page_FillStroke(page);
}

int main(int argc, char** argv) {
    if (argc != 3) {
        fprintf(stderr, "usage: %s PAGES OUTPUT\n", argv[0]);
        return 2;
    }
    const int pages = atoi(argv[1]);
    const double start = now_ms();
    HPDF_Doc pdf = HPDF_New(on_error, NULL);
    HPDF_SetCompressionMode(pdf, HPDF_COMP_NONE);
    HPDF_Font regular = HPDF_GetFont(pdf, "Helvetica", "WinAnsiEncoding");
    HPDF_Font bold = HPDF_GetFont(pdf, "Helvetica-Bold", "WinAnsiEncoding");
    unsigned char* rgb = malloc(64 * 32 * 3);
    for (int i = 0; i < 64 * 32; ++i) {
        rgb[i * 3] = (unsigned char)(i * 7);
        rgb[i * 3 + 1] = (unsigned char)(i / 64 * 8);
        rgb[i * 3 + 2] = 160;
    }
    HPDF_Image logo = HPDF_LoadRawImageFromMem(pdf, rgb, 64, 32, HPDF_CS_DEVICE_RGB, 8);
    char buf[128];
    for (int p = 1; p <= pages; ++p) {
        HPDF_Page page = HPDF_AddPage(pdf);
        HPDF_Page_SetWidth(page, 595.5f);
        HPDF_Page_SetHeight(page, 842.25f);
        frame(page, 38, 30, 756, 80);
        frame(page, 38, 92, 756, 94);
        frame(page, 38, 1060, 756, 1090);
        HPDF_Page_DrawImage(page, logo, PT(40), Y(72), PT(64), PT(32));
        HPDF_Page_SetRGBFill(page, 0, 0, 0);
        text_at(page, bold, 12, PT(120), Y(56), "Balancete Detalhado por Conta");
        text_at(page, regular, 9, PT(120), Y(74),
                "Condom\xEDnio Edif\xED"
                "cio S\xE3o Jo\xE3o");
        snprintf(buf, sizeof buf, "P\xE1gina %d de %d", p, pages);
        right_at(page, regular, 9, PT(750), Y(74), buf);
        for (int r = 0; r < 19; ++r) {
            const int bottom = 100 + r * 22 + 18;
            snprintf(buf, sizeof buf, "%02d/03/2015", r % 28 + 1);
            text_at(page, regular, 9, PT(40), Y(bottom), buf);
            snprintf(buf, sizeof buf, "Lan\xE7\x61mento n\xBA %d \x96 manuten\xE7\xE3o e \xE1gua",
                     p * 100 + r);
            text_at(page, regular, 9, PT(130), Y(bottom), buf);
            snprintf(buf, sizeof buf, "%d.%03d,%02d", r + 1, (p * 37 + r) % 1000, r * 3 % 100);
            right_at(page, regular, 9, PT(750), Y(bottom), buf);
        }
    }
    HPDF_SaveToFile(pdf, argv[2]);
    HPDF_Free(pdf);
    free(rgb);
    printf("%.3f\n", now_ms() - start);
    return 0;
}
