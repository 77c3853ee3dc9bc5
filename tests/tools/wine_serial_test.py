#!/usr/bin/env python3
"""ksgnss.exe decoding a serial port under Wine.

A pseudo-terminal pair stands in for the port: Wine's COM port is mapped to
the terminal end (a dosdevices link, where Wine keeps its port mapping) and
this script plays the receiver on the other end. A Windows serial port has
no end of input, so once the tool has read everything the script presses
Ctrl-C (Wine turns SIGINT into the console's Ctrl-C event): the tool must
stop reading, print its summary and exit 0. The records must equal those
decoded from the same bytes in a file.

The tool's error output goes to a file, not a pipe: Wine hands it on to the
background services it may start, which outlive the tool.

usage: wine_serial_test.py WINE KSGNSS_EXE SAMPLE
"""
import os
import signal
import subprocess
import sys
import tempfile
import time
import tty

PORT = "com41"


def main():
    wine, tool, sample = sys.argv[1:4]
    prefix = os.environ.get("WINEPREFIX", os.path.expanduser("~/.wine"))
    env = dict(os.environ, WINEDEBUG="-all", WINEPREFIX=prefix)
    options = ["decode", "--manufacturer", "1", "--board", "6", "--parse-nmea"]
    with tempfile.TemporaryFile() as err:
        expected = subprocess.run([wine, tool, *options, "Z:" + sample], env=env, stdout=subprocess.PIPE,
                                  stderr=err, stdin=subprocess.DEVNULL, timeout=120).stdout
    if not expected:
        print("no records from the file")
        return 1

    receiver, port = os.openpty()
    tty.setraw(port)  # no CR to LF translation, no echo
    link = os.path.join(prefix, "dosdevices", PORT)
    if os.path.lexists(link):
        os.remove(link)
    os.symlink(os.ttyname(port), link)
    err_file = tempfile.TemporaryFile()
    try:
        tool_run = subprocess.Popen([wine, tool, *options, "--baud", "9600", PORT.upper()], env=env,
                                    stdin=subprocess.DEVNULL, stdout=subprocess.PIPE, stderr=err_file)
        time.sleep(3)  # the tool opens and configures the port
        with open(sample, "rb") as f:
            data = f.read()
        at = 0
        piece = 1
        while at < len(data):  # pieces of varying size, as a receiver sends epochs
            n = min(piece, len(data) - at)
            os.write(receiver, data[at:at + n])
            at += n
            piece = piece * 3 % 701 + 1
            time.sleep(0.002)
        time.sleep(2)  # Ctrl-C only once the tool has read everything
        tool_run.send_signal(signal.SIGINT)
        try:
            out = tool_run.communicate(timeout=60)[0]
        except subprocess.TimeoutExpired:
            tool_run.kill()
            print("ksgnss.exe did not stop on Ctrl-C")
            return 1
        err_file.seek(0)
        err = err_file.read()
    finally:
        err_file.close()
        os.remove(link)
        os.close(receiver)
        os.close(port)
    if tool_run.returncode != 0:
        print("ksgnss.exe failed:", tool_run.returncode, err.decode(errors="replace"))
        return 1
    if b"bytes read" not in err:
        print("no summary after Ctrl-C:", err.decode(errors="replace"))
        return 1
    if out != expected:
        print("records differ:\n--- expected\n%s\n--- got\n%s" % (expected.decode(), out.decode()))
        return 1
    print("%d bytes through %s, %d records" % (len(data), PORT.upper(), expected.count(b"\n")))
    return 0


if __name__ == "__main__":
    sys.exit(main())
