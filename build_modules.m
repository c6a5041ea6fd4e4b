% BUILD_MODULES  Build the MEX modules with the host's own mex command (MATLAB or GNU Octave).
%
%   build_modules()                builds every module into the folder mex/ beside this file
%   build_modules(OUTDIR)          builds them into OUTDIR (created when missing)
%   build_modules(OUTDIR, 'verbose')  also shows the compiler commands
%   OUTDIR = build_modules(...)    returns the absolute path of the folder
%
%   The modules are those of modules.txt beside this file, one a line. Each is compiled from
%   its gateway FOLDER/NAME_mex.cpp, the other sources of FOLDER and the shared sources of
%   common/ (every source once, then linked per module), and its help file FOLDER/NAME.m is
%   copied beside it with the release number of the file VERSION filled in. The folder is
%   printed at the end; put it on the path with addpath (or toolkit_setup(OUTDIR)).
%
%   MATLAB: mex -R2017b (the separate-complex API, which both hosts share), C++17, defines
%   MOM_HOST_MATLAB and MOM_LAPACK_ILP64 (MATLAB's LAPACK takes 64-bit integers) and links
%   -lmwlapack -lmwblas. Needs a C++17 compiler set up with `mex -setup C++` (gcc or clang;
%   with Microsoft Visual C++ the gcc-only options of modules.txt are left out).
%   GNU Octave: mex, which runs mkoctfile --mex; defines MOM_HOST_OCTAVE and links the LAPACK
%   and BLAS Octave itself was built with (mkoctfile -p LAPACK_LIBS, BLAS_LIBS), 32-bit
%   integers.
%
%   Optional modules (marked so in modules.txt, such as compressed_solve, which needs
%   hmat-oss) are built when their sources are present and they compile and link; otherwise
%   a line says why they were left out. A core module that fails to build is an error.
%
%   Example (MATLAB or Octave, from the folder of this file):
%       d = build_modules();  addpath(d);  help dense_system
%
%   See also MEX, MKOCTFILE, MOM_VERSION.
function outdir = build_modules(outdir, varargin)
  root = fileparts(mfilename('fullpath'));
  if nargin < 1 || isempty(outdir)
    outdir = fullfile(root, 'mex');
  end
  verbose = any(strcmpi(varargin, 'verbose'));
  release = strtrim(fileread(fullfile(root, 'VERSION')));
  modules = read_module_list(fullfile(root, 'modules.txt'));
  host = host_settings(verbose);

  if ~exist(outdir, 'dir') && ~mkdir(outdir)
    error('build_modules:outdir', 'build_modules: cannot create the folder %s', outdir);
  end
  here = pwd();
  cd(outdir);
  outdir = pwd();
  cd(here);
  objroot = tempname();
  mkdir(objroot);
  cleanup = onCleanup(@() rmdir(objroot, 's'));

  fprintf('building the modules of release %s with %s''s mex into %s\n', release, ...
          host.name, outdir);
  % What each folder needs, from the lines of the modules that live in it.
  owners = containers.Map();
  for i = 1:numel(modules)
    m = modules(i);
    if isKey(owners, m.folder)
      o = owners(m.folder);
      o.cxxflags = unique([o.cxxflags, m.cxxflags], 'stable');
      o.uses = unique([o.uses, m.uses], 'stable');
      o.exclude = unique([o.exclude, m.exclude], 'stable');
      owners(m.folder) = o;
    else
      owners(m.folder) = struct('cxxflags', {m.cxxflags}, 'uses', {m.uses}, ...
                                'exclude', {m.exclude});
    end
  end
  objects = containers.Map();
  objects('common') = compile_folder(host, root, 'common', struct('cxxflags', {{}}, ...
                                     'uses', {{}}, 'exclude', {{}}), objroot);
  built = {};
  skipped = {};
  for i = 1:numel(modules)
    m = modules(i);
    gateway = fullfile(root, m.folder, [m.name '_mex.cpp']);
    if ~exist(gateway, 'file')
      if m.optional
        skipped{end+1} = sprintf('%s (its sources are not present)', m.name);
        continue;
      end
      error('build_modules:missing', 'build_modules: %s is missing', gateway);
    end
    try
      parts = {};
      for f = [m.uses, {m.folder}]
        if ~isKey(objects, f{1})
          if ~isKey(owners, f{1})
            owners(f{1}) = struct('cxxflags', {{}}, 'uses', {{}}, 'exclude', {{}});
          end
          objects(f{1}) = compile_folder(host, root, f{1}, owners(f{1}), objroot);
        end
        parts = [parts, objects(f{1})];
      end
      gateway_object = compile_source(host, root, gateway, m.folder, owners(m.folder), objroot);
      link_module(host, m, [{gateway_object}, parts, objects('common')], outdir);
    catch err
      if ~m.optional
        rethrow(err);
      end
      skipped{end+1} = sprintf('%s (%s)', m.name, strtrim(err.message));
      continue;
    end
    copy_help(fullfile(root, m.folder, [m.name '.m']), fullfile(outdir, [m.name '.m']), release);
    built{end+1} = m.name;
    fprintf('  %s\n', m.name);
  end
  for i = 1:numel(skipped)
    fprintf('  not built: %s\n', skipped{i});
  end
  fprintf('%d modules built into %s\n  addpath(''%s'')\n', numel(built), outdir, outdir);
  if nargout == 0
    clear outdir;
  end
end

% The lines of modules.txt: name, folder, optional flag, extra compiler flags and libraries.
function modules = read_module_list(file)
  text = fileread(file);
  lines = regexp(text, '\r?\n', 'split');
  modules = struct('name', {}, 'folder', {}, 'optional', {}, 'cxxflags', {}, 'libs', {}, ...
                   'uses', {}, 'exclude', {});
  for i = 1:numel(lines)
    line = strtrim(regexprep(lines{i}, '#.*$', ''));
    if isempty(line)
      continue;
    end
    words = regexp(line, '\s+', 'split');
    if numel(words) < 2
      error('build_modules:list', 'build_modules: %s line %d needs a name and a folder', ...
            file, i);
    end
    m = struct('name', words{1}, 'folder', words{2}, 'optional', false, 'cxxflags', {{}}, ...
               'libs', {{}}, 'uses', {{}}, 'exclude', {{}});
    for w = words(3:end)
      word = w{1};
      if strcmp(word, 'optional')
        m.optional = true;
      elseif strncmp(word, 'cxxflags=', 9)
        m.cxxflags = strsplit(word(10:end), ',');
      elseif strncmp(word, 'libs=', 5)
        m.libs = strsplit(word(6:end), ',');
      elseif strncmp(word, 'uses=', 5)
        m.uses = strsplit(word(6:end), ',');
      elseif strncmp(word, 'exclude=', 8)
        m.exclude = strsplit(word(9:end), ',');
      else
        error('build_modules:list', 'build_modules: %s line %d: unknown option "%s"', ...
              file, i, word);
      end
    end
    modules(end+1) = m;
  end
end

% What differs between the hosts: defines, LAPACK, how to pass compiler flags.
function host = host_settings(verbose)
  host.octave = exist('OCTAVE_VERSION', 'builtin') > 0;
  host.verbose = verbose;
  if host.octave
    host.name = 'GNU Octave';
    host.options = {'-DMOM_HOST_OCTAVE=1'};
    words = @(s) regexp(strtrim(s), '\s+', 'split');
    host.libs = [words(mkoctfile('-p', 'LAPACK_LIBS')), words(mkoctfile('-p', 'BLAS_LIBS'))];
    if isunix()
      host.libs{end+1} = '-lpthread';
    end
    host.libs = host.libs(~cellfun('isempty', host.libs));
    % mkoctfile takes compiler flags from the environment.
    host.cxxflags = '-O3 -DNDEBUG -std=c++17 -pthread -fvisibility=hidden';
    host.msvc = false;
  else
    host.name = 'MATLAB';
    host.options = {'-R2017b', '-DMOM_HOST_MATLAB=1', '-DMOM_LAPACK_ILP64=1'};
    host.libs = {'-lmwlapack', '-lmwblas'};
    cc = mex.getCompilerConfigurations('C++', 'Selected');
    if isempty(cc)
      error('build_modules:compiler', ...
            'build_modules: no C++ compiler is set up for mex; run mex -setup C++');
    end
    host.msvc = ~isempty(strfind(lower(cc(1).ShortName), 'msvc'));
    if ~verbose
      host.options{end+1} = '-silent';
    end
  end
end

% Compiles every source of a folder but its gateways (*_mex.cpp) and the files its modules
% exclude; returns the object files.
function objects = compile_folder(host, root, folder, owner, objroot)
  files = dir(fullfile(root, folder, '*.cpp'));
  objects = {};
  for i = 1:numel(files)
    name = files(i).name;
    if (numel(name) > 8 && strcmp(name(end-7:end), '_mex.cpp')) || any(strcmp(name, owner.exclude))
      continue;
    end
    objects{end+1} = compile_source(host, root, fullfile(root, folder, name), folder, owner, ...
                                    objroot);
  end
end

% Compiles one source of FOLDER into objroot/FOLDER/ and returns the object file.
function object = compile_source(host, root, source, folder, owner, objroot)
  objdir = fullfile(objroot, strrep(folder, '/', '_'));
  if ~exist(objdir, 'dir')
    mkdir(objdir);
  end
  [~, base] = fileparts(source);
  includes = {['-I' fullfile(root, 'common')], ['-I' fullfile(root, folder)]};
  for u = owner.uses
    includes{end+1} = ['-I' fullfile(root, u{1})];
  end
  cxxflags = owner.cxxflags;
  if host.octave
    object = fullfile(objdir, [base '.o']);
    flags = strtrim(sprintf('%s %s', host.cxxflags, strjoin(cxxflags, ' ')));
    old = getenv('CXXFLAGS');
    setenv('CXXFLAGS', flags);
    restore = onCleanup(@() setenv('CXXFLAGS', old));
    args = [{'-c', source, '-o', object}, includes, host.options];
    if host.verbose
      args = [{'--verbose'}, args];
    end
    mex(args{:});
  else
    if host.msvc
      flags = {'COMPFLAGS=$COMPFLAGS /std:c++17', 'COMPFLAGS=$COMPFLAGS /O2 /DNDEBUG'};
      object = fullfile(objdir, [base '.obj']);
    else
      flags = {['CXXFLAGS=$CXXFLAGS -std=c++17 -pthread ' strjoin(cxxflags, ' ')], ...
               'CXXOPTIMFLAGS=-O3 -DNDEBUG'};
      object = fullfile(objdir, [base '.o']);
    end
    if host.verbose
      flags{end+1} = '-v';
    end
    mex('-c', source, '-outdir', objdir, includes{:}, host.options{:}, flags{:});
  end
  if ~exist(object, 'file')
    error('build_modules:compile', 'build_modules: compiling %s gave no %s', source, object);
  end
end

% Links one module from its objects into outdir.
function link_module(host, m, objects, outdir)
  libs = [m.libs, host.libs];
  if host.octave
    args = [{'-o', fullfile(outdir, [m.name '.mex'])}, objects, libs];
    if host.verbose
      args = [{'--verbose'}, args];
    end
    mex(args{:});
  else
    extra = {};
    if ~host.msvc
      extra = {'LDFLAGS=$LDFLAGS -pthread'};
    end
    if host.verbose
      extra{end+1} = '-v';
    end
    mex(host.options{:}, '-output', fullfile(outdir, m.name), objects{:}, libs{:}, extra{:});
  end
end

% Copies a help file, filling in the release number.
function copy_help(source, target, release)
  text = strrep(fileread(source), '@MOM_VERSION@', release);
  fid = fopen(target, 'w');
  if fid < 0
    error('build_modules:write', 'build_modules: cannot write %s', target);
  end
  fwrite(fid, text);
  fclose(fid);
end
