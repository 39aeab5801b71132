#!/usr/bin/env python3
"""The desktop program as a manager uses it, end to end.

Starts the real `quorva` executable (its own main and event loop, no test
seam) under Xvfb with a window manager, against the test server, and drives
it with real input events through xdotool: restart the database server
under the start screen, log in, generate the balance
report, page, zoom, find and save while the selection screen is still open,
open both listings, a report that fails in preparation, log out and quit.
A second run opens a saved page file through `quorva FILE.rpf`, a third
opens the long listing's page file and saves it again as a PDF of pages 2-3
(in the background) and as a spreadsheet, after refusing a name whose
extension no format has, and a fourth gives it damaged page files. The
saved files are checked with independent readers (qpdf, pdfinfo,
pdftotext, xlrd), and every step leaves a screenshot in the artifacts
folder for a person to look at.

Usage: desktop_e2e.py QUORVA_EXECUTABLE ARTIFACTS_DIR
Needs: Xvfb, openbox, xdotool, ImageMagick's import, qpdf, pdfinfo and
pdftotext, python3-xlrd; the test server on QUORVA_DB_HOST (ctest's db fixture), which
it stops and starts again through QUORVA_FBCTL (server/fbctl.sh) with its
QUORVA_FB_ROOT.
"""
import contextlib
import os
import re
import shutil
import signal
import subprocess
import sys
import tempfile
import time

QUORVA = os.path.abspath(sys.argv[1])
ARTIFACTS = os.path.abspath(sys.argv[2])
STEP_TIMEOUT = 30.0


class Failure(Exception):
    pass


def run(*args, check=True, timeout=30, **kw):
    return subprocess.run(args, check=check, timeout=timeout, capture_output=True, text=True, **kw)


class Display:
    """A private X server with a window manager, torn down on exit."""

    def __init__(self):
        read_fd, write_fd = os.pipe()
        self.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write_fd), "-screen", "0", "1280x1024x24", "-nolisten", "tcp"],
            pass_fds=[write_fd], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        os.close(write_fd)
        with os.fdopen(read_fd) as f:
            number = f.readline().strip()
        if not number:
            raise Failure("Xvfb did not start")
        os.environ["DISPLAY"] = ":" + number
        self.wm = subprocess.Popen(["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        time.sleep(0.5)

    def close(self):
        for p in (self.wm, self.xvfb):
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()


class Steps:
    """Screenshots numbered in the order the steps happened."""

    def __init__(self, folder):
        self.folder = folder
        self.n = 0
        shutil.rmtree(folder, ignore_errors=True)
        os.makedirs(folder)

    def shot(self, name):
        self.n += 1
        path = os.path.join(self.folder, "%02d-%s.png" % (self.n, name))
        run("import", "-window", "root", path)
        print("screenshot", path, flush=True)


def windows(name):
    r = run("xdotool", "search", "--onlyvisible", "--name", name, check=False)
    return [int(w) for w in r.stdout.split()]


def wait_window(name, timeout=STEP_TIMEOUT, gone=False):
    """The id of a visible window whose title matches `name` (a regex)."""
    end = time.time() + timeout
    while time.time() < end:
        found = windows(name)
        if gone and not found:
            return None
        if found and not gone:
            time.sleep(0.3)  # let it finish laying out and painting
            return found[-1]
        time.sleep(0.2)
    raise Failure("window %r %s after %.0f s" % (name, "still there" if gone else "not shown", timeout))


def title(window):
    return run("xdotool", "getwindowname", str(window)).stdout.strip()


def activate(window):
    run("xdotool", "windowactivate", "--sync", str(window), check=False)
    run("xdotool", "windowfocus", "--sync", str(window), check=False)
    time.sleep(0.2)


def keys(window, *names):
    activate(window)
    for k in names:
        run("xdotool", "key", "--clearmodifiers", k)
        time.sleep(0.15)


def type_text(window, text):
    activate(window)
    run("xdotool", "type", "--delay", "30", text)
    time.sleep(0.2)


def click(window, x, y, button=1, double=False):
    """A real mouse click at (x, y) of the window's client area, raised
    first: the previews are maximised on top of each other."""
    activate(window)
    run("xdotool", "mousemove", "--window", str(window), str(x), str(y))
    time.sleep(0.1)
    if double:
        run("xdotool", "click", "--repeat", "2", "--delay", "80", str(button))
    else:
        run("xdotool", "click", str(button))
    time.sleep(0.4)


def wait_for(predicate, what, timeout=STEP_TIMEOUT):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return
        time.sleep(0.2)
    raise Failure("timed out waiting for " + what)


def wait_file(path):
    wait_for(lambda: os.path.exists(path) and os.path.getsize(path) > 0, path)
    time.sleep(0.5)


# The preview's toolbar, by left edge (the window's own layout).
PRINT, SAVE, FIRST, PRIOR, NEXT, LAST, ZOOM_DOWN, ZOOM_UP, ZOOM_BOX, CLOSE = (
    25, 75, 206, 228, 389, 411, 444, 466, 540, 719)
TOOL_Y = 12
PAGE_NO = 300
# The save dialog (client coordinates): the file name, the format list, the
# page boxes (typing in them chooses "Páginas") and "Salvar em segundo plano".
FILE_NAME = (232, 22)
FORMAT_LIST = (196, 50)
FROM_PAGE, TO_PAGE, PAGES_Y = 120, 192, 122
BACKGROUND = (20, 180)
# The selection screen: its menu bar above the panels, and the menu items.
MENU_H = 20
MENU_INADIMPLENCIA, MENU_ENCERRAR = (44, 208)
TYPE_TODAS, GRADE_4, BUSCAR_CONTAS = (173, 441, 573)


@contextlib.contextmanager
def running(steps, workdir, *args):
    """The program for one flow: a failure is photographed before the
    program is ended."""
    prog = Program(workdir, *args)
    try:
        yield prog
    except Failure:
        steps.shot("failure")
        raise
    finally:
        prog.kill()


class Program:
    """The program, its output kept in the artifacts folder."""

    def __init__(self, workdir, *args):
        self.log = open(os.path.join(ARTIFACTS, "program-%d.log" % time.monotonic_ns()), "w")
        self.proc = subprocess.Popen([QUORVA, *args], cwd=workdir, stdout=self.log,
                                     stderr=subprocess.STDOUT, text=True)

    def wait(self, timeout=STEP_TIMEOUT):
        try:
            return self.proc.wait(timeout)
        except subprocess.TimeoutExpired:
            raise Failure("the program did not end")

    def kill(self):
        if self.proc.poll() is None:
            self.proc.kill()
            self.proc.wait()
        elif self.proc.returncode < 0:
            print("the program died of signal", -self.proc.returncode, flush=True)
        self.log.close()


def login(start, cond, password):
    """Keyboard only: number, Enter, password, Enter, and Enter again on the
    focused "Entrar"."""
    click(start, 272, 360)  # the number field's panel, in case the focus is elsewhere
    keys(start, "ctrl+a")
    type_text(start, cond)
    keys(start, "Return")
    type_text(start, password)
    keys(start, "Return", "KP_Enter")


def server(command):
    """Stops or starts the test server (the data stays as it is)."""
    fbctl = os.environ.get("QUORVA_FBCTL") or os.path.join(
        os.path.dirname(os.path.abspath(__file__)), "..", "..", "server", "fbctl.sh")
    try:
        run("bash", fbctl, command, timeout=120)
    except subprocess.CalledProcessError as e:
        raise Failure("fbctl.sh %s failed: %s" % (command, e.stderr.strip()))


def restart_server(steps):
    """The server goes away under the start screen and comes back; the
    status line follows, and the next login must work without restarting
    the program."""
    began = time.monotonic()
    server("stop")
    try:
        time.sleep(1.5)  # a probe tick notices
        steps.shot("server-stopped")
    finally:
        server("start")
    time.sleep(2.5)  # a tick connects again
    steps.shot("server-back")
    print("server restart under the start screen: %.1f s" % (time.monotonic() - began), flush=True)


def check_pdf(path, texts):
    run("qpdf", "--check", path)
    text = run("pdftotext", "-layout", path, "-").stdout
    for t in texts:
        if t not in text:
            raise Failure("%s does not contain %r" % (path, t))


def check_xls(path, texts, sheets=None):
    script = ("import sys, xlrd\n"
              "b = xlrd.open_workbook(sys.argv[1])\n"
              "print('sheets:', b.nsheets)\n"
              "for s in b.sheets():\n"
              "    for r in range(s.nrows):\n"
              "        print('|'.join(str(v) for v in s.row_values(r)))\n")
    out = run("/usr/bin/python3", "-c", script, path).stdout
    for t in texts:
        if t not in out:
            raise Failure("%s does not contain %r" % (path, t))
    if sheets is not None and "sheets: %d\n" % sheets not in out:
        raise Failure("%s: %s, not %d" % (path, out.splitlines()[0], sheets))


def pdf_pages(path):
    info = run("pdfinfo", path).stdout
    found = re.search(r"^Pages:\s+(\d+)", info, re.M)
    if not found:
        raise Failure("pdfinfo tells no page count of " + path)
    return int(found.group(1))


def save_as(preview, path, steps=None):
    """"Salvar", the file name typed with its extension, Enter. With `steps`,
    the dialog and its file dialog behind "..." are photographed too."""
    click(preview, SAVE, TOOL_Y)
    dialog = wait_window("^Salvar$")
    if steps:
        steps.shot("save-dialog")
        click(dialog, 366, 22)  # "..."
        files = wait_window("Salvar como")
        steps.shot("save-file-dialog")
        keys(files, "Escape")
        wait_window("Salvar como", gone=True)
    keys(dialog, "ctrl+a")
    type_text(dialog, path)
    keys(dialog, "Return")
    wait_window("^Salvar$", gone=True)
    wait_file(path)


def picture(window):
    return subprocess.run(["import", "-window", str(window), "rgb:-"], check=True,
                       capture_output=True, timeout=30).stdout


def answers(window, action, what):
    """Does the action change what the window shows? A window blocked by a
    modal one swallows the input and stays as it was."""
    before = picture(window)
    action()
    end = time.time() + 5
    while time.time() < end:
        if picture(window) != before:
            return
        time.sleep(0.2)
    raise Failure(what + ": the window did not answer")


def select_all_and_generate(selection):
    click(selection, 464 + 77, MENU_H + 8 + 16)  # "Selecionar todas as contas"
    click(selection, 314 + 72, MENU_H + 8 + 34)  # "Gerar Relatório"


def clipboard_targets():
    return run("xclip", "-selection", "clipboard", "-t", "TARGETS", "-o", check=False).stdout


def balance_preview(steps, work, selection):
    """The balance report's preview, used while the selection screen is up."""
    select_all_and_generate(selection)
    preview = wait_window("Pré-visualização")
    steps.shot("balance-preview")
    if not windows("Condomínio Balancete Modelo"):
        raise Failure("the selection screen closed when the preview opened")

    answers(preview, lambda: click(preview, ZOOM_DOWN, TOOL_Y), "zoom down")
    answers(preview, lambda: click(preview, ZOOM_DOWN, TOOL_Y), "zoom down again")
    steps.shot("balance-zoom-80")

    def typed_zoom(percent):
        click(preview, ZOOM_BOX, TOOL_Y)
        keys(preview, "ctrl+a")
        type_text(preview, percent)
        keys(preview, "Return")
    for percent in ("85", "53", "50"):
        answers(preview, lambda: typed_zoom(percent), "typed zoom " + percent)
        steps.shot("balance-zoom-" + percent)

    # Find: an outline around the hit, then a box for a text that is nowhere.
    keys(preview, "ctrl+f")
    find = wait_window("^Procurar$")
    type_text(find, "Despesas")
    answers(preview, lambda: keys(find, "Return"), "find")
    steps.shot("balance-find-hit")
    find = wait_window("^Procurar$")
    keys(find, "ctrl+a")
    type_text(find, "nada-disso-existe")
    keys(find, "Return")
    box = wait_window("^Acesso Remoto$")
    steps.shot("balance-find-not-found")
    keys(box, "Return")
    wait_window("^Acesso Remoto$", gone=True)
    for w in windows("^Procurar$"):
        keys(w, "Escape")

    # The print dialog opens and closes.
    click(preview, PRINT, TOOL_Y)
    dialog = wait_window("^Imprimir$")
    steps.shot("balance-print-dialog")
    keys(dialog, "Escape")
    wait_window("^Imprimir$", gone=True)

    # Ctrl+C on the page the mouse put the focus on (nothing was copied before
    # on this fresh display).
    click(preview, 640, 500)
    keys(preview, "ctrl+c")
    wait_for(lambda: "image/" in clipboard_targets(), "the page on the clipboard")

    # Esc on an open list or menu closes that alone, never the preview.
    def esc_closes_only(open_it, what):
        open_it()
        steps.shot("balance-%s-open" % what)
        keys(preview, "Escape")
        time.sleep(0.5)
        if preview not in windows("Pré-visualização"):
            raise Failure("Esc on the open %s closed the preview" % what)
    esc_closes_only(lambda: (click(preview, ZOOM_BOX, TOOL_Y), keys(preview, "alt+Down")),
                    "zoom-list")
    esc_closes_only(lambda: click(preview, 640, 500, button=3), "page-menu")
    steps.shot("balance-after-escapes")

    pdf = os.path.join(work, "balancete.pdf")
    xls = os.path.join(work, "balancete.xls")
    rpf = os.path.join(work, "balancete.rpf")
    save_as(preview, pdf, steps)
    check_pdf(pdf, ["Balancete Detalhado por Conta", "Despesas com Pessoal"])
    save_as(preview, xls)
    check_xls(xls, ["Balancete Detalhado por Conta", "Despesas com Pessoal"])
    save_as(preview, rpf)
    steps.shot("balance-saved")
    click(preview, CLOSE, TOOL_Y)
    wait_window("Pré-visualização", gone=True)
    return rpf


def listings_then_logout(steps, selection):
    """Both listings from the menu, each in a preview of its own; logging
    out leaves them open and working."""
    click(selection, MENU_INADIMPLENCIA, 8)
    wait_window("Pré-visualização")
    steps.shot("inadimplencia-preview")
    keys(selection, "alt+c")  # "&Compromissado"
    wait_for(lambda: len(windows("Pré-visualização")) >= 2, "a second preview")
    steps.shot("compromissados-preview")
    for w in windows("Pré-visualização"):
        answers(w, lambda: click(w, ZOOM_DOWN, TOOL_Y), "a listing's zoom")
    click(selection, MENU_ENCERRAR, 8)
    wait_window("Condomínio Balancete Modelo", gone=True)
    start = wait_window("Acesso Remoto \\(2015-02\\)")
    steps.shot("logged-out-previews-open")
    previews = windows("Pré-visualização")
    if len(previews) != 2:
        raise Failure("%d previews left open after logging out, not 2" % len(previews))
    for w in previews:
        answers(w, lambda: click(w, ZOOM_UP, TOOL_Y), "a preview after logging out")
        click(w, CLOSE, TOOL_Y)
    wait_window("Pré-visualização", gone=True)
    steps.shot("logged-out")
    return start


def paging(steps, work, start):
    """A listing of several pages: paging forward and back answers. Its
    page file is kept for saving again once reopened."""
    login(start, "40", "Inad40")
    selection = wait_window("Condomínio Teste Inadimplência")
    click(selection, MENU_INADIMPLENCIA, 8)
    preview = wait_window("Pré-visualização")
    answers(preview, lambda: click(preview, NEXT, TOOL_Y), "next page")
    steps.shot("listing-page-2")
    answers(preview, lambda: click(preview, LAST, TOOL_Y), "last page")
    answers(preview, lambda: click(preview, FIRST, TOOL_Y), "first page")
    # "Várias páginas", then the page number typed: the last two pages and
    # a grey, crossed box where no page is.
    def multiple_pages():
        click(preview, ZOOM_BOX, TOOL_Y)
        keys(preview, "ctrl+a")
        type_text(preview, "Várias páginas")
        keys(preview, "Return")
    answers(preview, multiple_pages, "multiple pages")
    def page_22():
        click(preview, PAGE_NO, TOOL_Y)
        keys(preview, "ctrl+a")
        type_text(preview, "22")
        keys(preview, "Return")
    answers(preview, page_22, "typed page number")
    steps.shot("listing-multiple-pages-end")
    listing = os.path.join(work, "inadimplentes.rpf")
    save_as(preview, listing)
    # It stays open through the next logout and closes with the program.
    click(selection, MENU_ENCERRAR, 8)
    return wait_window("Acesso Remoto \\(2015-02\\)"), listing


def failed_preparation(steps, start):
    """A report that fails in preparation shows one box and no preview. Its
    failing balance sits under an income account: all accounts, deepest
    grade."""
    login(start, "62", "bal62")
    selection = wait_window("Condomínio Saldo Impossível")
    previews = len(windows("Pré-visualização"))
    click(selection, TYPE_TODAS, MENU_H + 84 + 32)
    click(selection, GRADE_4, MENU_H + 84 + 32)
    click(selection, BUSCAR_CONTAS, MENU_H + 84 + 30)
    select_all_and_generate(selection)
    box = wait_window("^Acesso Remoto$")
    steps.shot("preparation-error")
    keys(box, "Return")
    wait_window("^Acesso Remoto$", gone=True)
    if len(windows("Pré-visualização")) != previews:
        raise Failure("a preview opened for a failed preparation")
    click(selection, MENU_ENCERRAR, 8)
    return wait_window("Acesso Remoto \\(2015-02\\)")


def desktop_flow(steps, work):
    with running(steps, work) as prog:
        start = wait_window("Acesso Remoto \\(2015-02\\)")
        # The login fields appear once the probe reaches the server.
        time.sleep(2.5)
        steps.shot("start-screen")
        restart_server(steps)
        login(start, "60", "bal60")
        selection = wait_window("Condomínio Balancete Modelo")
        steps.shot("selection-screen")
        rpf = balance_preview(steps, work, selection)
        start = listings_then_logout(steps, selection)
        start, listing = paging(steps, work, start)
        start = failed_preparation(steps, start)
        steps.shot("back-on-start-screen")
        # "Encerrar" ends the program, the listing's preview with it; with
        # the server gone meanwhile, nothing is said about a connection that
        # had nothing left to lose.
        server("stop")
        try:
            click(start, 30, 10)
            code = prog.wait()
        finally:
            server("start")
        if code != 0:
            raise Failure("the program ended with %d" % code)
        if windows("Pré-visualização"):
            raise Failure("a preview outlived the program")
        return rpf, listing


def reopen_flow(steps, work, rpf):
    with running(steps, work, rpf) as prog:
        preview = wait_window(re.escape(os.path.basename(rpf)))
        steps.shot("rpf-reopened")
        click(preview, NEXT, TOOL_Y)
        click(preview, CLOSE, TOOL_Y)
        code = prog.wait()
        if code != 0:
            raise Failure("the reopened preview ended with %d" % code)


def reopened_saves_flow(steps, work, listing):
    """The listing's page file reopened, without a login, and saved again in
    the formats a report run offers: what the name says, with the pages
    chosen. A name whose extension no format has is refused first, with a
    message over the dialog, and nothing is written."""
    refused = os.path.join(work, "trecho.docx")
    pdf = os.path.join(work, "trecho.pdf")
    xls = os.path.join(work, "reaberto.xls")
    with running(steps, work, listing) as prog:
        preview = wait_window(re.escape(os.path.basename(listing)))
        click(preview, SAVE, TOOL_Y)
        dialog = wait_window("^Salvar$")
        # The format list opened over the dialog, for a person to see; Return
        # takes the item it opened on and closes it.
        click(dialog, *FORMAT_LIST)
        steps.shot("reopened-save-formats")
        run("xdotool", "key", "Return")
        time.sleep(0.3)
        dialog = wait_window("^Salvar$")

        click(dialog, *FILE_NAME)
        keys(dialog, "ctrl+a")
        type_text(dialog, refused)
        keys(dialog, "Return")
        box = wait_window("^Acesso Remoto$")
        steps.shot("reopened-unknown-extension")
        keys(box, "Return")
        wait_window("^Acesso Remoto$", gone=True)
        dialog = wait_window("^Salvar$")  # still open, to correct the name
        if os.path.exists(refused):
            raise Failure(refused + " was written")

        click(dialog, *FILE_NAME)
        keys(dialog, "ctrl+a")
        type_text(dialog, pdf)
        for x, page in ((FROM_PAGE, "2"), (TO_PAGE, "3")):
            click(dialog, x, PAGES_Y)
            keys(dialog, "ctrl+a")
            type_text(dialog, page)
        click(dialog, *BACKGROUND)
        steps.shot("reopened-save-dialog")
        keys(dialog, "Return")
        wait_window("^Salvar$", gone=True)
        wait_file(pdf)
        run("qpdf", "--check", pdf)
        if pdf_pages(pdf) != 2:
            raise Failure("%s has %d pages, not 2" % (pdf, pdf_pages(pdf)))
        shown = re.findall(r"Pág\.:\s*(\d+)", run("pdftotext", "-layout", pdf, "-").stdout)
        if shown != ["2", "3"]:
            raise Failure("%s shows pages %s, not 2 and 3" % (pdf, shown))

        save_as(preview, xls)
        check_xls(xls, ["Relação de Inadimplentes", "Pág.:23"], sheets=23)
        steps.shot("reopened-saved")
        click(preview, CLOSE, TOOL_Y)
        code = prog.wait()
        if code != 0:
            raise Failure("the reopened listing ended with %d" % code)
        if os.path.exists(refused):
            raise Failure(refused + " was written")


def damaged_flow(steps, work, rpf):
    """Page files that cannot be read: one box naming the file, a non-zero
    exit, no window left."""
    with open(rpf, "rb") as f:
        good = f.read()
    cases = {
        "ausente.rpf": None,
        "vazio.rpf": b"",
        "truncado.rpf": good[: len(good) // 2],
        "estranho.rpf": b"not a page file at all",
    }
    for name, content in cases.items():
        path = os.path.join(work, name)
        if content is not None:
            with open(path, "wb") as f:
                f.write(content)
        with running(steps, work, path) as prog:
            box = wait_window("^Acesso Remoto$")
            steps.shot("rpf-" + name.split(".")[0])
            keys(box, "Return")
            code = prog.wait()
            if code == 0:
                raise Failure("%s: the program ended with 0" % name)
            if windows(re.escape(name)):
                raise Failure("%s: a window was left open" % name)


def main():
    steps = Steps(ARTIFACTS)
    display = Display()
    work = tempfile.mkdtemp(prefix="quorva-e2e-")
    # The program runs as a manager runs it, whatever the caller's shell
    # says: on the X display made here (an exported QT_QPA_PLATFORM such as
    # offscreen would keep its windows off it) and in Brazilian settings.
    os.environ["QT_QPA_PLATFORM"] = "xcb"
    os.environ["LC_ALL"] = "pt_BR.UTF-8"
    try:
        rpf, listing = desktop_flow(steps, work)
        reopen_flow(steps, work, rpf)
        reopened_saves_flow(steps, work, listing)
        damaged_flow(steps, work, rpf)
    except Failure as e:
        print("FAILED:", e, flush=True)
        return 1
    finally:
        display.close()
        shutil.rmtree(work, ignore_errors=True)
    print("end-to-end desktop flow passed; screenshots in", ARTIFACTS)
    return 0


if __name__ == "__main__":
    signal.signal(signal.SIGTERM, lambda *_: sys.exit(1))
    sys.exit(main())
