# the Windows release
