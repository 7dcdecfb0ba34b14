"""A printer that stops in the middle of a job, under one program start: the
CUPS queue is stopped, then deleted, while the program is still drawing its
copies into the job. Each time the printer's error is shown, no job is left
half-made in the queue or in the system's spooler, and the next print to a
working queue comes out whole."""
import os
from pathlib import Path

import pytest

from harness import Program, wait_until
from pdf_printer import QUEUE, PdfPrinter
from test_print import (message, only_print_page, open_print_page, pages, press_print,
                        set_copies, wait_started)

PRINTER_ERROR = "Error occured: Possibly incompatible printer driver."
# Enough copies that the job takes a few seconds to draw: the stop lands inside it.
MANY = "60"


def spooled():
    """Jobs being written in the system's spooler (Wine keeps them there until the end)."""
    prefix = Path(os.environ.get("WINEPREFIX", Path.home() / ".wine"))
    folder = prefix / "drive_c" / "windows" / "system32" / "spool" / "printers"
    return [p for p in folder.glob("*.SPL")] if folder.is_dir() else []


@pytest.fixture(scope="module")
def scene(tmp_path_factory):
    work = tmp_path_factory.mktemp("print-faults")
    printer = PdfPrinter(work / "pdf").start()
    program = None
    try:
        only_print_page(work)
        program = Program()
        wait_started()
        open_print_page()
        yield printer
    finally:
        if program:
            program.stop()
        printer.stop()


def stopped_in_the_job(printer, stop):
    """Prints many copies and stops the queue once the job is being written."""
    set_copies(MANY)
    press_print()
    wait_until(lambda: any(p.stat().st_size for p in spooled()), 30, interval=0.02,
               what="the job to be spooled")
    stop()
    assert message("Err: 482") == PRINTER_ERROR
    assert printer.jobs("not-completed") == [], "a half job stayed in the queue"
    wait_until(lambda: not spooled(), 10, what="the spooler to drop the job")
    assert printer.pdfs() == []


def prints_again(printer, count):
    set_copies("1")
    press_print()
    pdfs = printer.wait_pdf(count)
    assert pages(pdfs[-1]) == 1


def test_queue_stopped_in_the_middle(scene):
    printer = scene
    stopped_in_the_job(printer, printer.stop_queue)
    printer.lp("cupsenable", QUEUE)
    printer.lp("cupsaccept", QUEUE)
    prints_again(printer, 1)


def test_queue_deleted_in_the_middle(scene):
    printer = scene
    before = printer.pdfs()
    printer.out.joinpath("kept").mkdir(exist_ok=True)
    for pdf in before:  # the earlier print moves aside, so that this one starts from none
        pdf.rename(printer.out / "kept" / pdf.name)
    stopped_in_the_job(printer, printer.delete_queue)
    printer.add_queue()
    prints_again(printer, 1)
