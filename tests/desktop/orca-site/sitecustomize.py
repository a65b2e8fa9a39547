# Line-buffers the screen reader's debug log, so that a stopped reader leaves every line written.
import builtins
_open = builtins.open
def _line_buffered(file, mode="r", buffering=-1, *args, **kwargs):
    if isinstance(file, str) and file.endswith("orca.log") and "w" in mode:
        buffering = 1
    return _open(file, mode, buffering, *args, **kwargs)
builtins.open = _line_buffered
