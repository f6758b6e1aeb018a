#!/usr/bin/env python3
# Prints which src/ folders include which, and any circle among them.
# Exit status 1 when there is a circle.
import os,re,sys,collections
root=sys.argv[1] if len(sys.argv) > 1 else os.path.join(os.path.dirname(os.path.abspath(__file__)), '..')
src=os.path.join(root,'src')
edges=collections.defaultdict(set)
for d,_,fs in os.walk(src):
    for f in fs:
        if not f.endswith(('.cpp','.h')): continue
        folder=os.path.relpath(d,src).split(os.sep)[0]
        for m in re.finditer(r'#include "([a-z]+)/',open(os.path.join(d,f),encoding='utf-8',errors='ignore').read()):
            t=m.group(1)
            if t!=folder: edges[folder].add(t)
for k in sorted(edges): print(f"{k} -> {', '.join(sorted(edges[k]))}")
# cycles
def cyc():
    color={}
    out=[]
    def dfs(u,stack):
        color[u]=1; stack.append(u)
        for v in edges.get(u,()):
            if color.get(v)==1: out.append(stack[stack.index(v):]+[v])
            elif not color.get(v): dfs(v,stack)
        stack.pop(); color[u]=2
    for u in list(edges):
        if not color.get(u): dfs(u,[])
    return out
c=cyc()
print("circles:", c if c else "none")
sys.exit(1 if c else 0)
