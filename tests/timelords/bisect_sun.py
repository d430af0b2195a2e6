#!/usr/bin/env python3
# bisect_sun.py LONGITUDE FROM_JD TO_JD: the instant swetest puts the Sun at a longitude, by
# bisection on its positions, for the tests of the solar arc.
import subprocess,sys
target=float(sys.argv[1]); lo=float(sys.argv[2]); hi=float(sys.argv[3])
def sun(jd):
    out=subprocess.run(["swetest",f"-bj{jd:.9f}","-ut","-p0","-fl","-head"],capture_output=True,text=True).stdout
    return float(out.split()[0])
def f(jd):
    d=(sun(jd)-target+180)%360-180
    return d
for i in range(60):
    mid=(lo+hi)/2
    if f(lo)*f(mid)<=0: hi=mid
    else: lo=mid
print(f"{(lo+hi)/2:.9f}")
