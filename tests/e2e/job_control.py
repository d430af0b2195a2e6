"""Runs a command as a job-control shell runs a foreground job: in a process group of its
own, in the foreground of the terminal, with this process as its parent in the same
session, so that a stop sent to it really stops it. A stopped job is left stopped (and in
the foreground) until something continues it. Usage: job_control.py COMMAND [ARG...]"""
import os
import signal
import sys

signal.signal(signal.SIGTTOU, signal.SIG_IGN)
tty = os.open("/dev/tty", os.O_RDWR)
pid = os.fork()
if pid == 0:
    os.setpgid(0, 0)
    os.tcsetpgrp(tty, os.getpgrp())
    signal.signal(signal.SIGTTOU, signal.SIG_DFL)
    os.execvp(sys.argv[1], sys.argv[1:])
try:
    os.setpgid(pid, pid)
except OSError:
    pass  # the child has done it already
while True:
    _, status = os.waitpid(pid, os.WUNTRACED)
    if not os.WIFSTOPPED(status):
        break
os.tcsetpgrp(tty, os.getpgrp())
sys.exit(os.waitstatus_to_exitcode(status))
